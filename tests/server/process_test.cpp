// The real ardentis-server program: started as a child process, as users and scripts do.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "protocol/des.h"
#include "tests/server/server_fixture.h"
#include "tests/server/server_process.h"
#include "text/code_page.h"

namespace ardentis::server::testing {
namespace {

class Program : public ::testing::Test {
  protected:
    ScratchDirectory dir;
    std::string db = (dir.path() / "accounts.db").string();
    std::string errorLog = (dir.path() / "server.log").string();
};

TEST_F(Program, ServesSurvivesAVanishingPeerLogsSafelyAndEndsCleanlyOnSignals) {
    for (const int signal : {SIGTERM, SIGINT}) {
        ServerProcess server("--db " + db + " --auto-register --hash-cost min", errorLog);
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

    ServerProcess server("--db " + db, errorLog);
    EXPECT_TRUE(loggedIn(server.port(), text::gbk("张三").bytes(), "s3cret"));
    EXPECT_FALSE(loggedIn(server.port(), "bob", "s3cret"));
    EXPECT_EQ(run("user remove bob" + inDb).first, 0);
    EXPECT_NE(run("user remove bob" + inDb).first, 0);
    EXPECT_EQ(run("user list" + inDb).second.find("bob"), std::string::npos);
    EXPECT_FALSE(loggedIn(server.port(), "bob", "bobpw"));
}

}  // namespace
}  // namespace ardentis::server::testing
