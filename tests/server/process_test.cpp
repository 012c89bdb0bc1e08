// The real ardentis-server program: started as a child process, as users and scripts do.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "protocol/des.h"
#include "tests/server/server_fixture.h"
#include "text/code_page.h"

namespace ardentis::server::testing {
namespace {

// Runs the program through the shell with `input` on its standard input; exit status and output.
std::pair<int, std::string> run(const std::string& arguments, const std::string& input = "") {
    const std::string command = "printf '" + input + "' | " ARDENTIS_SERVER_BINARY " " + arguments;
    FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r");
    std::string output;
    for (int c = 0; (c = std::fgetc(pipe)) != EOF;) {
        output += static_cast<char>(c);
    }
    const int status = ::pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

// The server serving in a child process; standard error goes to `errorLog`.
class ServerProcess {
  public:
    ServerProcess(std::vector<std::string> arguments, const std::string& errorLog) {
        int out[2];
        EXPECT_EQ(::pipe(out), 0);
        posix_spawn_file_actions_t actions;
        ::posix_spawn_file_actions_init(&actions);
        ::posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        ::posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorLog.c_str(),
                                           O_WRONLY | O_CREAT | O_APPEND, 0600);
        arguments.insert(arguments.begin(), ARDENTIS_SERVER_BINARY);
        std::vector<char*> argv;
        for (std::string& argument : arguments) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        EXPECT_EQ(::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ), 0);
        ::posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        output_ = ::fdopen(out[0], "r");
        // The first line is "listening on 127.0.0.1:PORT".
        char line[128] = {};
        EXPECT_TRUE(std::fgets(line, sizeof line, output_) &&
                    std::string_view(line).starts_with("listening on 127.0.0.1:"))
            << line;
        port_ = static_cast<std::uint16_t>(std::atoi(std::strrchr(line, ':') + 1));
    }
    ~ServerProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        std::fclose(output_);
    }
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;
    [[nodiscard]] std::uint16_t port() const { return port_; }

    // Sends the signal; the exit status, or -1 when the server has not ended within kWait.
    int stop(int signal) {
        ::kill(pid_, signal);
        for (int tries = 0; tries < 500; ++tries, ::usleep(10000)) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
        }
        return -1;
    }

  private:
    pid_t pid_ = -1;
    FILE* output_ = nullptr;
    std::uint16_t port_ = 0;
};

class Program : public ::testing::Test {
  protected:
    TempDir dir;
    std::string db = (dir.path() / "accounts.db").string();
    std::string errorLog = (dir.path() / "server.log").string();
};

TEST_F(Program, ServesSurvivesAVanishingPeerLogsSafelyAndEndsCleanlyOnSignals) {
    for (const int signal : {SIGTERM, SIGINT}) {
        ServerProcess server(
            {"--listen", "127.0.0.1:0", "--db", db, "--auto-register", "--hash-cost", "min"},
            errorLog);
        auto client = loggedIn(server.port(), "player", "pa55word");
        ASSERT_TRUE(client && sync(*client, "player"));
        {
            // Gone while the server still writes to it: a broken pipe must not kill the server.
            auto leaver = loggedIn(server.port(), "leaver");
            for (int i = 0; i < 200; ++i) {
                ASSERT_TRUE(client->send(record(1, 0, {"player>>" + std::to_string(i)})));
            }
        }
        TestClient odd(server.port());
        ASSERT_TRUE(odd.send(loginRecord("odd\nname\x1b", "pa55word")));
        EXPECT_TRUE(odd.receive());
        EXPECT_EQ(server.stop(signal), 0);
        EXPECT_TRUE(client->waitClosed());
    }
    std::stringstream log;
    log << std::ifstream(errorLog).rdbuf();
    EXPECT_NE(log.str().find("player (127.0.0.1:"), std::string::npos) << log.str();
    EXPECT_NE(log.str().find("odd\\x0aname\\x1b"), std::string::npos) << log.str();
    for (const std::string& secret :
         {std::string("pa55word"), protocol::des::EncryptHex("pa55word"), std::string("\x1b")}) {
        EXPECT_EQ(log.str().find(secret), std::string::npos) << secret;
    }
}

TEST_F(Program, UserCommandsAddListAndRemoveAccounts) {
    const std::string inDb = " --db " + db;
    EXPECT_EQ(run("user add 张三 --nickname 老三" + inDb, "s3cret\\n").first, 0);
    EXPECT_EQ(run("user add bob" + inDb, "bobpw\\n").first, 0);
    EXPECT_EQ(run("user add bob" + inDb, "again\\n").first, 1);
    EXPECT_EQ(run("user add empty" + inDb, "\\n").first, 2);
    EXPECT_EQ(run("user add" + inDb).first, 2);  // usage
    const auto [status, list] = run("user list" + inDb);
    EXPECT_EQ(status, 0);
    EXPECT_NE(list.find("张三\t老三\n"), std::string::npos) << list;
    EXPECT_NE(list.find("bob\tbob\n"), std::string::npos) << list;
    EXPECT_EQ(list.find("s3cret"), std::string::npos);

    ServerProcess server({"--listen", "127.0.0.1:0", "--db", db}, errorLog);
    EXPECT_TRUE(loggedIn(server.port(), text::gbk("张三").bytes(), "s3cret"));
    EXPECT_FALSE(loggedIn(server.port(), "bob", "s3cret"));
    EXPECT_EQ(run("user remove bob" + inDb).first, 0);
    EXPECT_NE(run("user remove bob" + inDb).first, 0);
    EXPECT_EQ(run("user list" + inDb).second.find("bob"), std::string::npos);
    EXPECT_FALSE(loggedIn(server.port(), "bob", "bobpw"));
}

}  // namespace
}  // namespace ardentis::server::testing
