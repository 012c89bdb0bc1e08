// The demo players of `make run` against the real server on loopback, at test speed: a
// headless client sees both on line, the room one of them keeps, and lines from each.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <string>

#include "tests/e2e/headless_peer.h"
#include "tests/server/server_fixture.h"
#include "text/literal.h"

namespace ardentis::e2e {
namespace {

using text::Gbk;
using text::zh;

// The tool as a child process, ended with SIGTERM as `make run` ends it.
class DemoPlayersChild {
  public:
    explicit DemoPlayersChild(std::uint16_t port, const std::filesystem::path& logs) {
        std::string portText = std::to_string(port);
        std::string logText = logs.string();
        std::string binary = ARDENTIS_DEMO_PLAYERS;
        std::array<char*, 7> argv{binary.data(),   const_cast<char*>("--port"),
                                  portText.data(), const_cast<char*>("--log-dir"),
                                  logText.data(),  const_cast<char*>("--fast"),
                                  nullptr};
        started_ =
            ::posix_spawn(&pid_, binary.c_str(), nullptr, nullptr, argv.data(), environ) == 0;
    }
    ~DemoPlayersChild() { (void)stop(); }
    DemoPlayersChild(const DemoPlayersChild&) = delete;
    DemoPlayersChild& operator=(const DemoPlayersChild&) = delete;

    [[nodiscard]] bool started() const { return started_; }
    // The exit status; -1 when it did not exit by itself.
    int stop() {
        if (!started_) {
            return -1;
        }
        started_ = false;
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

  private:
    pid_t pid_ = 0;
    bool started_ = false;
};

TEST(DemoPlayers, SitInTheLobbyKeepARoomAndChat) {
    const ardentis::testing::ScratchDirectory dir;
    const server::testing::RunningServer server(server::testing::testOptions(dir));
    DemoPlayersChild players(server.port(), dir.path());
    ASSERT_TRUE(players.started());
    HeadlessPeer watcher(dir.path(), Gbk("watcher"), Gbk("pw"), server.port(), 9);
    watcher.start();
    auto& main = watcher.ui().main;
    const auto chatFrom = [&main](const Gbk& account) {
        return main.MemRecev.text().bytes().find((account + Gbk(">>")).bytes()) !=
               std::string::npos;
    };
    EXPECT_TRUE(runUntil({&watcher},
                         [&] {
                             return main.lvlobby.rowCount() == 3 && main.lvrooms.rowCount() == 1 &&
                                    main.lvrooms.subItem(0, 2) == zh<"新手欢迎">() &&
                                    chatFrom(zh<"小林">()) && chatFrom(zh<"阿萌">());
                         }))
        << "users " << main.lvlobby.rowCount() << ", rooms " << main.lvrooms.rowCount();
    EXPECT_EQ(players.stop(), 0);
}

}  // namespace
}  // namespace ardentis::e2e
