// The real ardentis-server: its command line, signals, log, and account file through kill -9.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <random>
#include <set>

#include "tests/server/server_fixture.h"
#include "tests/server/shell_run.h"

namespace ardentis::server::testing {
namespace {

// Runs the program through the shell with `input` (printf escapes) on its standard input,
// behind `prefix` (a command that runs it, such as timeout); its exit status and standard output.
std::pair<int, std::string> run(const std::string& arguments, const std::string& input = "",
                                const std::string& prefix = "") {
    return shell("printf '" + input + "' | " + prefix + " " ARDENTIS_SERVER_BINARY " " + arguments +
                 " 2>/dev/null");
}

// The program serving on a loopback port it picks; standard error goes to `errorLog`. `setup`
// runs first in the shell that becomes the program (limits, signals it ignores).
class ServerProcess {
  public:
    ServerProcess(const std::string& arguments, const std::filesystem::path& errorLog,
                  const std::string& setup = "")
        : pipe_(::popen(
              (setup + " echo pid $$; exec " ARDENTIS_SERVER_BINARY " --listen 127.0.0.1:0 " +
               arguments + " 2>>" + errorLog.string())
                  .c_str(),
              "r")) {
        EXPECT_EQ(std::fscanf(pipe_, "pid %d listening on 127.0.0.1:%hu", &pid_, &port_), 2);
    }
    ~ServerProcess() { stop(SIGKILL); }
    [[nodiscard]] std::uint16_t port() const { return port_; }
    // Sends the signal and returns the exit status (-1 when the signal ended it).
    int stop(int signal) {
        if (pid_ > 0) {
            ::kill(std::exchange(pid_, 0), signal);
        }
        return exitStatus(pipe_ != nullptr ? ::pclose(std::exchange(pipe_, nullptr)) : 0);
    }

  private:
    FILE* pipe_;
    int pid_ = 0;
    std::uint16_t port_ = 0;
};

// What a fresh connection finds in the database: its integrity check's verdict and every
// account ("not ok" when it cannot even open it).
std::pair<std::string, std::set<std::string>> inspect(const std::string& path) {
    sqlite3* db = nullptr;
    std::set<std::string> verdict;
    std::set<std::string> accounts;
    const auto into = [](void* set, int, char** values, char**) {
        static_cast<std::set<std::string>*>(set)->insert(values[0] ? values[0] : "");
        return 0;
    };
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_exec(db, "PRAGMA integrity_check", into, &verdict, nullptr);
    sqlite3_exec(db, "SELECT CAST(account AS TEXT) FROM accounts", into, &accounts, nullptr);
    sqlite3_close(db);
    return {verdict.size() == 1 ? *verdict.begin() : "not ok", accounts};
}

// In the second run a file size limit stands for a full disk: writes past it fail as on a full
// one; the one new account is refused and the others are still served.
TEST(Program, ServesSurvivesAVanishingPeerAndAFullDiskLogsSafelyEndsOnSignalsKeepsUserAdds) {
    const ScratchDirectory dir;
    const auto log = dir / "server.log";
    const std::string db = " --db " + (dir / "a.db").string();
    const std::string serving = "--auto-register --hash-cost min" + db;
    std::set<std::string> acknowledged{"player", "leaver"};
    for (const auto& [signal, setup] :
         {std::pair(SIGTERM, ""), std::pair(SIGINT, "trap '' XFSZ; ulimit -f 64;")}) {
        ServerProcess server(serving, log, setup);
        auto client = loggedIn(server.port(), "player", "pa55word");
        ASSERT_TRUE(client && client->send(record(2, 0, {"player", "", "new nick"})));
        ASSERT_TRUE(sync(*client));
        {
            // Gone while the server still writes to it: a broken pipe must not kill the server.
            auto leaver = loggedIn(server.port(), "leaver");
            for (int i = 0; i < 200; ++i) {
                ASSERT_TRUE(client->send(record(1, 0, {"player>>" + std::to_string(i)})));
            }
        }
        EXPECT_FALSE(loggedIn(server.port(), "odd\nname\x1b", "pa55word"));  // logged escaped
        int n = 0;
        while (signal == SIGINT && n < 60 && loggedIn(server.port(), "late" + std::to_string(n))) {
            acknowledged.insert("late" + std::to_string(n++));
        }
        EXPECT_TRUE(signal == SIGTERM || n < 60) << "the disk never filled up";
        EXPECT_TRUE(loggedIn(server.port(), "leaver")) << "the server stopped serving";
        EXPECT_EQ(server.stop(signal), 0);
        EXPECT_TRUE(client->waitClosed());
    }
    const std::string logged = ardentis::testing::readFile(log);
    EXPECT_NE(logged.find("player (127.0.0.1:"), std::string::npos) << logged;
    EXPECT_NE(logged.find("odd\\x0aname\\x1b"), std::string::npos) << logged;
    EXPECT_NE(logged.find("account store: "), std::string::npos) << logged;
    EXPECT_EQ(logged.find("pa55word"), std::string::npos);
    EXPECT_EQ(logged.find(protocol::des::EncryptHex("pa55word")), std::string::npos);
    EXPECT_EQ(logged.find('\x1b'), std::string::npos);
    EXPECT_EQ(inspect((dir / "a.db").string()), std::pair(std::string("ok"), acknowledged));
    // The user commands share the account file with the server, which keeps nicknames in it.
    EXPECT_EQ(run("user add 张三 --nickname 老三" + db, "s3cret\\n").first, 0);
    EXPECT_EQ(run("user add bob" + db, "bobpw\\n").first, 0);
    EXPECT_EQ(run("user add bob" + db, "again\\n").first, 1);
    EXPECT_EQ(run("user add empty" + db, "\\n").first, 2);
    EXPECT_EQ(run("user add" + db).first, 2);  // usage
    const auto [status, list] = run("user list" + db);
    EXPECT_EQ(status, 0);
    for (const char* line : {"player\tnew nick\n", "张三\t老三\n", "bob\tbob\n"}) {
        EXPECT_NE(list.find(line), std::string::npos) << list;
    }
    EXPECT_EQ(list.find("s3cret"), std::string::npos);
    ServerProcess server(db, log);
    const std::string zhang = text::gbk("张三").bytes();
    auto first = loggedIn(server.port(), zhang, "s3cret");
    ASSERT_TRUE(first);
    auto resumed = loggedIn(server.port(), zhang, "", first->token);
    auto bob = loggedIn(server.port(), "bob", "bobpw");
    ASSERT_TRUE(resumed && bob);
    // A new password or a removed account: every token of it ends.
    EXPECT_EQ(run("user passwd 张三" + db, "n3w\\n").first, 0);
    EXPECT_EQ(run("user passwd nobody" + db, "n3w\\n").first, 1);
    EXPECT_EQ(run("user remove bob" + db).first, 0);
    EXPECT_NE(run("user remove bob" + db).first, 0);
    EXPECT_EQ(run("user list" + db).second.find("bob"), std::string::npos);
    EXPECT_FALSE(loggedIn(server.port(), "bob", "bobpw"));
    EXPECT_EQ(run("user add bob" + db, "bobpw\\n").first, 0);
    EXPECT_FALSE(loggedIn(server.port(), "bob", "", bob->token));
    EXPECT_FALSE(loggedIn(server.port(), zhang, "s3cret", resumed->token));
    EXPECT_TRUE(loggedIn(server.port(), zhang, "n3w"));
    const std::string later = ardentis::testing::readFile(log);
    EXPECT_NE(later.find(") logged in (resumed)"), std::string::npos);
    for (const std::string& token : {first->token, resumed->token, bob->token}) {
        EXPECT_EQ(later.find(token.substr(0, 16)), std::string::npos) << "a token in the log";
        EXPECT_EQ(later.find(token.substr(16)), std::string::npos) << "a token in the log";
    }
    // A file it may not write (another user's, root writes through modes): a clear line, no
    // start, no half-written account.
    EXPECT_EQ(server.stop(SIGTERM), 0);
    namespace fs = std::filesystem;
    // A copy of the program another user may run wherever the build tree is.
    const auto program = dir / "ardentis-server";
    fs::copy_file(ARDENTIS_SERVER_BINARY, program);
    fs::permissions(dir / "a.db", fs::perms::owner_read | fs::perms::others_read);
    fs::permissions(dir.path(), fs::perms::owner_exec | fs::perms::others_exec |
                                    fs::perms::owner_read | fs::perms::others_read);
    const std::string before = ardentis::testing::readFile(dir / "a.db");
    const std::string asOther =
        "timeout 10 " +
        std::string(::geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "") +
        "sh -c '\"" + program.string() + "\" \"$@\" 2>&1'";
    for (const std::string& arguments : {"--listen 127.0.0.1:0" + db, "user add carol" + db}) {
        const auto [refused, output] = run(arguments, "pw\\n", asOther);
        EXPECT_EQ(refused, 1) << arguments;
        EXPECT_NE(output.find(": attempt to write a readonly database"), std::string::npos)
            << output;
    }
    EXPECT_EQ(ardentis::testing::readFile(dir / "a.db"), before);
    fs::permissions(dir.path(), fs::perms::owner_all);
}

TEST(AccountFile, EveryAcknowledgedAccountOutlivesKillsAtRandomMoments) {
    const ScratchDirectory dir;
    const std::string db = (dir / "accounts.db").string();
    const auto seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    std::set<std::string> acknowledged;
    for (int round = 0; round < 12; ++round) {
        ServerProcess server("--auto-register --hash-cost min --db " + db, dir / "server.log");
        std::vector<std::jthread> clients;
        std::array<std::set<std::string>, 4> made;  // each client's own, so no lock
        for (int c = 0; c < 4; ++c) {
            clients.emplace_back([&, c, prefix = "r" + std::to_string(round * 10 + c) + "n"] {
                for (int n = 0; loggedIn(server.port(), prefix + std::to_string(n)); ++n) {
                    made[c].insert(prefix + std::to_string(n));
                }
            });
        }
        // `user add` writes the same file meanwhile and is killed at its own random moment.
        const std::string added = "added" + std::to_string(round);
        const auto limit = std::to_string(std::uniform_int_distribution(5, 60)(random) / 1e3);
        if (run("user add " + added + " --hash-cost min --db " + db, "pw\\n",
                "timeout -s KILL " + limit)
                .first == 0) {
            acknowledged.insert(added);
        }
        std::this_thread::sleep_for(1ms * std::uniform_int_distribution(0, 40)(random));
        server.stop(SIGKILL);
        clients.clear();  // each ends at its first refused log-in
        for (const auto& accounts : made) {
            acknowledged.insert(accounts.begin(), accounts.end());
        }
        const auto [verdict, accounts] = inspect(db);
        ASSERT_EQ(verdict, "ok") << "after round " << round;
        for (const std::string& account : acknowledged) {
            ASSERT_TRUE(accounts.contains(account)) << account << " lost in round " << round;
        }
    }
    EXPECT_GT(acknowledged.size(), 12U) << "the kills came before anything was written";
}

}  // namespace
}  // namespace ardentis::server::testing
