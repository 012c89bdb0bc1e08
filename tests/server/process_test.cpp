// The real ardentis-server program: started as a child process, as users and scripts do.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "protocol/des.h"
#include "tests/server/server_fixture.h"
#include "text/code_page.h"

namespace ardentis::server::testing {
namespace {

// A child process with its standard input and output on pipes, standard error to a file.
class Child {
  public:
    Child(const std::vector<std::string>& arguments, const std::string& errorLog = "/dev/null") {
        int in[2];
        int out[2];
        if (::pipe(in) != 0 || ::pipe(out) != 0 || (pid_ = ::fork()) < 0) {
            return;
        }
        if (pid_ == 0) {
            ::dup2(in[0], STDIN_FILENO);
            ::dup2(out[1], STDOUT_FILENO);
            ::dup2(::open(errorLog.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDERR_FILENO);
            ::close(in[1]);
            ::close(out[0]);
            std::vector<char*> argv{const_cast<char*>(ARDENTIS_SERVER_BINARY)};
            for (const std::string& argument : arguments) {
                argv.push_back(const_cast<char*>(argument.c_str()));
            }
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(in[0]);
        ::close(out[1]);
        stdin_ = in[1];
        stdout_ = out[0];
    }
    ~Child() {
        ::close(stdin_);
        ::close(stdout_);
        if (pid_ > 0 && !exited_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    // Writes `input` and closes the child's standard input.
    void input(std::string_view text) {
        EXPECT_EQ(::write(stdin_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
        ::close(stdin_);
        stdin_ = -1;
    }
    // The output up to the first newline (or all of it, with `all`), read within kWait.
    std::string read(bool all = false) {
        const auto deadline = std::chrono::steady_clock::now() + kWait;
        pollfd entry{stdout_, POLLIN, 0};
        char chunk[4096];
        ssize_t got = 1;
        while ((all || output_.find('\n') == std::string::npos) && got > 0 &&
               ::poll(&entry, 1,
                      static_cast<int>((deadline - std::chrono::steady_clock::now()) / 1ms)) > 0) {
            got = ::read(stdout_, chunk, sizeof chunk);
            output_.append(chunk, static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
        }
        return std::exchange(output_, {});
    }
    // The exit status, or -1 when the child has not ended within kWait.
    int wait() {
        for (int tries = 0; tries < 500; ++tries, ::usleep(10000)) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                exited_ = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
        }
        return -1;
    }
    void signal(int number) { ::kill(pid_, number); }
    // The port from the server's first line "listening on 127.0.0.1:PORT".
    std::uint16_t port() {
        const std::string line = read();
        EXPECT_TRUE(line.starts_with("listening on 127.0.0.1:")) << line;
        return static_cast<std::uint16_t>(std::atoi(line.substr(line.rfind(':') + 1).c_str()));
    }

  private:
    pid_t pid_ = -1;
    int stdin_ = -1;
    int stdout_ = -1;
    bool exited_ = false;
    std::string output_;
};

// Runs a command to its end; its exit status, and its output into `output`.
int run(const std::vector<std::string>& arguments, std::string_view input = {},
        std::string* output = nullptr) {
    Child child(arguments);
    child.input(input);
    const std::string all = child.read(true);
    if (output != nullptr) {
        *output = all;
    }
    return child.wait();
}

class Program : public ::testing::Test {
  protected:
    TempDir dir;
    std::string db = (dir.path() / "accounts.db").string();
};

TEST_F(Program, ServesSurvivesAVanishingPeerLogsSafelyAndEndsCleanlyOnSignals) {
    const std::string errorLog = (dir.path() / "server.log").string();
    for (const int signal : {SIGTERM, SIGINT}) {
        Child server(
            {"--listen", "127.0.0.1:0", "--db", db, "--auto-register", "--hash-cost", "min"},
            errorLog);
        const std::uint16_t port = server.port();
        ASSERT_NE(port, 0);
        auto client = loggedIn(port, "player", "pa55word");
        ASSERT_TRUE(client && sync(*client, "player"));
        {
            // Gone while the server still writes to it: a broken pipe must not kill the server.
            auto leaver = loggedIn(port, "leaver");
            for (int i = 0; i < 200; ++i) {
                ASSERT_TRUE(client->send(record(1, 0, {"player>>" + std::to_string(i)})));
            }
        }
        TestClient odd(port);
        ASSERT_TRUE(odd.send(loginRecord("odd\nname\x1b", "pa55word")));
        ASSERT_TRUE(odd.receive());
        server.signal(signal);
        EXPECT_EQ(server.wait(), 0);
        EXPECT_TRUE(client->waitClosed());
    }
    std::stringstream log;
    log << std::ifstream(errorLog).rdbuf();
    EXPECT_NE(log.str().find("player (127.0.0.1:"), std::string::npos) << log.str();
    EXPECT_EQ(log.str().find("pa55word"), std::string::npos);
    EXPECT_EQ(log.str().find(protocol::des::EncryptHex("pa55word")), std::string::npos);
    EXPECT_NE(log.str().find("odd\\x0aname\\x1b"), std::string::npos) << log.str();
    EXPECT_EQ(log.str().find('\x1b'), std::string::npos);
}

TEST_F(Program, UserCommandsAddListAndRemoveAccounts) {
    std::string output;
    ASSERT_EQ(run({"user", "add", "张三", "--nickname", "老三", "--db", db}, "s3cret\n"), 0);
    ASSERT_EQ(run({"user", "add", "bob", "--db", db}, "bobpw\n"), 0);
    EXPECT_NE(run({"user", "add", "bob", "--db", db}, "again\n"), 0);
    EXPECT_NE(run({"user", "add", "empty", "--db", db}, "\n"), 0);
    EXPECT_EQ(run({"user", "add", "--db", db}), 2);  // usage
    ASSERT_EQ(run({"user", "list", "--db", db}, {}, &output), 0);
    EXPECT_NE(output.find("张三\t老三"), std::string::npos) << output;
    EXPECT_NE(output.find("bob\tbob"), std::string::npos) << output;
    EXPECT_EQ(output.find("s3cret"), std::string::npos);

    Child server({"--listen", "127.0.0.1:0", "--db", db});
    const std::uint16_t port = server.port();
    ASSERT_NE(port, 0);
    EXPECT_TRUE(loggedIn(port, text::gbk("张三").bytes(), "s3cret"));
    EXPECT_FALSE(loggedIn(port, "bob", "s3cret"));
    ASSERT_EQ(run({"user", "remove", "bob", "--db", db}), 0);
    EXPECT_NE(run({"user", "remove", "bob", "--db", db}), 0);
    ASSERT_EQ(run({"user", "list", "--db", db}, {}, &output), 0);
    EXPECT_EQ(output.find("bob"), std::string::npos) << output;
    EXPECT_FALSE(loggedIn(port, "bob", "bobpw"));
}

}  // namespace
}  // namespace ardentis::server::testing
