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
#include "tests/server/lobby_records.h"
#include "tests/server/server_fixture.h"
#include "text/code_page.h"

namespace ardentis::server::testing {
namespace {

// A child process with its standard input and output on pipes.
class Child {
  public:
    // The child's standard error goes to `errorLog` when given.
    explicit Child(const std::vector<std::string>& arguments, const std::string& errorLog = {}) {
        int in[2];
        int out[2];
        if (::pipe(in) != 0 || ::pipe(out) != 0) {
            return;
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(in[0], STDIN_FILENO);
            ::dup2(out[1], STDOUT_FILENO);
            if (!errorLog.empty()) {
                const int err = ::open(errorLog.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
                ::dup2(err, STDERR_FILENO);
            }
            ::close(in[1]);
            ::close(out[0]);
            std::vector<char*> argv;
            argv.push_back(const_cast<char*>(ARDENTIS_SERVER_BINARY));
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
        closeInput();
        if (stdout_ >= 0) {
            ::close(stdout_);
        }
        if (pid_ > 0 && !exited_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    void write(std::string_view text) {
        EXPECT_EQ(::write(stdin_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }
    void closeInput() {
        if (stdin_ >= 0) {
            ::close(stdin_);
            stdin_ = -1;
        }
    }
    // One line of the child's output, without its newline; nothing on timeout or end.
    std::optional<std::string> readLine(std::chrono::milliseconds timeout = kWait) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (true) {
            if (const auto end = output_.find('\n'); end != std::string::npos) {
                std::string line = output_.substr(0, end);
                output_.erase(0, end + 1);
                return line;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd entry{stdout_, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&entry, 1, static_cast<int>(left.count())) <= 0) {
                return std::nullopt;
            }
            char chunk[4096];
            const ssize_t got = ::read(stdout_, chunk, sizeof chunk);
            if (got <= 0) {
                return std::nullopt;
            }
            output_.append(chunk, static_cast<std::size_t>(got));
        }
    }
    // The rest of the output until the child closes it.
    std::string readAll() {
        std::string all;
        while (auto line = readLine()) {
            all += *line + "\n";
        }
        return all + output_;
    }
    // The exit status, or -1 when the child has not ended within the timeout.
    int wait(std::chrono::milliseconds timeout = kWait) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                exited_ = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            ::usleep(10000);
        }
        return -1;
    }
    void signal(int number) { ::kill(pid_, number); }

  private:
    pid_t pid_ = -1;
    int stdin_ = -1;
    int stdout_ = -1;
    bool exited_ = false;
    std::string output_;
};

int run(const std::vector<std::string>& arguments, std::string_view input = {},
        std::string* output = nullptr) {
    Child child(arguments);
    child.write(input);
    child.closeInput();
    const std::string all = child.readAll();
    if (output != nullptr) {
        *output = all;
    }
    return child.wait();
}

std::uint16_t listeningPort(Child& server) {
    const auto line = server.readLine();
    EXPECT_TRUE(line && line->starts_with("listening on 127.0.0.1:")) << line.value_or("(none)");
    if (!line) {
        return 0;
    }
    return static_cast<std::uint16_t>(std::stoi(line->substr(line->rfind(':') + 1)));
}

class Program : public ::testing::Test {
  protected:
    TempDir dir;
    std::string db = (dir.path() / "accounts.db").string();
};

TEST_F(Program, ListensServesAndEndsCleanlyOnSigterm) {
    const std::string errorLog = (dir.path() / "server.log").string();
    Child server({"--listen", "127.0.0.1:0", "--db", db, "--auto-register", "--hash-cost", "min"},
                 errorLog);
    const std::uint16_t port = listeningPort(server);
    ASSERT_NE(port, 0);
    auto client = loggedIn(port, "player", "pa55word");
    ASSERT_TRUE(client);
    EXPECT_TRUE(sync(*client, "player"));
    TestClient odd(port);
    ASSERT_TRUE(odd.send(loginRecord("odd\nname\x1b", "pa55word")));
    ASSERT_TRUE(odd.receive());
    server.signal(SIGTERM);
    EXPECT_EQ(server.wait(), 0);
    EXPECT_TRUE(client->waitClosed());

    std::ifstream file(errorLog);
    std::stringstream log;
    log << file.rdbuf();
    EXPECT_NE(log.str().find("player (127.0.0.1:"), std::string::npos) << log.str();
    EXPECT_EQ(log.str().find("pa55word"), std::string::npos);
    EXPECT_EQ(log.str().find(protocol::des::EncryptHex("pa55word")), std::string::npos);
    EXPECT_NE(log.str().find("odd\\x0aname\\x1b"), std::string::npos) << log.str();
    EXPECT_EQ(log.str().find('\x1b'), std::string::npos);
}

TEST_F(Program, EndsCleanlyOnSigintAndSurvivesAPeerThatVanishes) {
    Child server({"--listen", "127.0.0.1:0", "--db", db, "--auto-register", "--hash-cost", "min"});
    const std::uint16_t port = listeningPort(server);
    ASSERT_NE(port, 0);
    {
        // Gone while the server still writes to it: a broken pipe must not kill the server.
        auto leaver = loggedIn(port, "leaver");
        ASSERT_TRUE(leaver);
        auto talker = loggedIn(port, "talker");
        ASSERT_TRUE(talker);
        for (int i = 0; i < 200; ++i) {
            ASSERT_TRUE(talker->send(lobbyChat("talker>>" + std::to_string(i))));
        }
    }
    auto later = loggedIn(port, "later");
    ASSERT_TRUE(later);
    server.signal(SIGINT);
    EXPECT_EQ(server.wait(), 0);
}

TEST_F(Program, UserCommandsAddListAndRemoveAccounts) {
    std::string output;
    ASSERT_EQ(run({"user", "add", "张三", "--nickname", "老三", "--db", db}, "s3cret\n", &output),
              0)
        << output;
    ASSERT_EQ(run({"user", "add", "bob", "--db", db}, "bobpw\n"), 0);
    EXPECT_NE(run({"user", "add", "bob", "--db", db}, "again\n"), 0);
    EXPECT_NE(run({"user", "add", "empty", "--db", db}, "\n"), 0);
    ASSERT_EQ(run({"user", "list", "--db", db}, {}, &output), 0);
    EXPECT_NE(output.find("张三\t老三"), std::string::npos) << output;
    EXPECT_NE(output.find("bob\tbob"), std::string::npos) << output;
    EXPECT_EQ(output.find("s3cret"), std::string::npos);

    Child server({"--listen", "127.0.0.1:0", "--db", db});
    const std::uint16_t port = listeningPort(server);
    ASSERT_NE(port, 0);
    const std::string account = text::gbk("张三").bytes();
    auto zhang = loggedIn(port, account, "s3cret");
    ASSERT_TRUE(zhang);
    TestClient wrong(port);
    ASSERT_TRUE(wrong.send(loginRecord("bob", "s3cret")));
    const auto bad = wrong.receive();
    ASSERT_TRUE(bad);
    EXPECT_TRUE(isKind(*bad, 0, 1));

    ASSERT_EQ(run({"user", "remove", "bob", "--db", db}), 0);
    EXPECT_NE(run({"user", "remove", "bob", "--db", db}), 0);
    ASSERT_EQ(run({"user", "list", "--db", db}, {}, &output), 0);
    EXPECT_EQ(output.find("bob"), std::string::npos) << output;
    TestClient removed(port);
    ASSERT_TRUE(removed.send(loginRecord("bob", "bobpw")));
    const auto gone = removed.receive();
    ASSERT_TRUE(gone);
    EXPECT_TRUE(isKind(*gone, 0, 1));
}

TEST_F(Program, RejectsBadArgumentsWithUsage) {
    EXPECT_EQ(run({"--listen", "nonsense"}), 2);
    EXPECT_EQ(run({"--frobnicate"}), 2);
    EXPECT_EQ(run({"user", "add"}), 2);
    EXPECT_EQ(run({"--queue-limit", "0"}), 2);
}

}  // namespace
}  // namespace ardentis::server::testing
