// The real ardentis-server program: its command line, account file, signals and log.
#include <gtest/gtest.h>

#include "tests/server/server_fixture.h"
#include "tests/server/server_process.h"

namespace ardentis::server::testing {
namespace {

TEST(Program, ServesSurvivesAVanishingPeerLogsSafelyEndsOnSignalsAndKeepsTheAccountsUserAdds) {
    const ScratchDirectory dir;
    const std::string log = (dir / "server.log").string();
    for (const int signal : {SIGTERM, SIGINT}) {
        ServerProcess server("--db " + (dir / "a.db").string() + " --auto-register --hash-cost min",
                             log);
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
        TestClient odd(server.port());
        ASSERT_TRUE(odd.send(loginRecord("odd\nname\x1b", "pa55word")));
        EXPECT_TRUE(odd.receive());
        EXPECT_EQ(server.stop(signal), 0);
        EXPECT_TRUE(client->waitClosed());
    }
    const std::string logged = ardentis::testing::readFile(log);
    EXPECT_NE(logged.find("player (127.0.0.1:"), std::string::npos) << logged;
    EXPECT_NE(logged.find("odd\\x0aname\\x1b"), std::string::npos) << logged;
    for (const std::string& secret :
         {std::string("pa55word"), protocol::des::EncryptHex("pa55word"), std::string("\x1b")}) {
        EXPECT_EQ(logged.find(secret), std::string::npos) << secret;
    }
    // The user commands share the account file with the server, which keeps nicknames in it.
    EXPECT_NE(run("user list --db " + (dir / "a.db").string()).second.find("player\tnew nick\n"),
              std::string::npos);
    const std::string db = " --db " + (dir / "b.db").string();
    EXPECT_EQ(run("user add 张三 --nickname 老三" + db, "s3cret\\n").first, 0);
    EXPECT_EQ(run("user add bob" + db, "bobpw\\n").first, 0);
    EXPECT_EQ(run("user add bob" + db, "again\\n").first, 1);
    EXPECT_EQ(run("user add empty" + db, "\\n").first, 2);
    EXPECT_EQ(run("user add" + db).first, 2);  // usage
    const auto [status, list] = run("user list" + db);
    EXPECT_EQ(status, 0);
    EXPECT_NE(list.find("张三\t老三\n"), std::string::npos) << list;
    EXPECT_NE(list.find("bob\tbob\n"), std::string::npos) << list;
    EXPECT_EQ(list.find("s3cret"), std::string::npos);
    ServerProcess server(db, log);
    EXPECT_TRUE(loggedIn(server.port(), text::gbk("张三").bytes(), "s3cret"));
    EXPECT_EQ(run("user remove bob" + db).first, 0);
    EXPECT_NE(run("user remove bob" + db).first, 0);
    EXPECT_EQ(run("user list" + db).second.find("bob"), std::string::npos);
    EXPECT_FALSE(loggedIn(server.port(), "bob", "bobpw"));
}

}  // namespace
}  // namespace ardentis::server::testing
