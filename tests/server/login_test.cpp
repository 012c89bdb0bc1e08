// Log-ins on a real server: resumption tokens, and the log-in timeout around the server's checks.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <cctype>

#include "tests/server/server_fixture.h"

namespace ardentis::server::testing {
namespace {

// Runs SQL on the server's file from beside it, as another process could.
void onFile(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sql;
    sqlite3_close(db);
}

bool isToken(const std::string& token) {
    return token.size() == 32 && std::ranges::all_of(token, [](char c) {
               return std::isdigit(static_cast<unsigned char>(c)) != 0 || (c >= 'a' && c <= 'f');
           });
}

// Three failures from one address would end its attempts: a token that fails beside a good
// password must not count as one.
TEST(Resume, ATokenLetsItsClientInOnceWithoutThePasswordOthersLeaveItToThePassword) {
    const ScratchDirectory dir;
    ServerOptions options = testOptions(dir);
    options.autoRegister = false;
    options.loginFailures = 3;
    // A file an older server made, before tokens: it opens as it is.
    onFile(options.database,
           "CREATE TABLE accounts(account BLOB PRIMARY KEY NOT NULL, hash TEXT NOT NULL,"
           " nickname BLOB NOT NULL, uflag INTEGER NOT NULL DEFAULT 0,"
           " uvalue1 INTEGER NOT NULL DEFAULT 0, uvalue2 INTEGER NOT NULL DEFAULT 0,"
           " uvalue3 INTEGER NOT NULL DEFAULT 0);"
           "INSERT INTO accounts (account, hash, nickname) VALUES (CAST('alice' AS BLOB), '" +
               PasswordHasher::hash("secret", HashCost::Minimum).value() +
               "', CAST('Alice' AS BLOB));");
    std::string kept;  // a token from before the restarts
    {
        const RunningServer server(options);
        // Each client its own token; the newer one does not end the older.
        auto first = loggedIn(server.port(), "alice", "secret");
        auto second = loggedIn(server.port(), "alice", "secret");
        ASSERT_TRUE(first && second);
        EXPECT_TRUE(isToken(first->token) && isToken(second->token)) << first->token;
        EXPECT_NE(first->token, second->token);
        EXPECT_EQ(second->seen.front().sparam2.view(), "");
        auto resumed = loggedIn(server.port(), "alice", "wrong", first->token);
        ASSERT_TRUE(resumed) << "the token, whatever the password";
        EXPECT_TRUE(isToken(resumed->token) && resumed->token != first->token);
        EXPECT_EQ(resumed->seen.front().sparam3.view(), "Alice");
        EXPECT_FALSE(loggedIn(server.port(), "alice", "wrong", first->token)) << "used once";
        auto again = loggedIn(server.port(), "alice", "wrong", second->token);
        ASSERT_TRUE(again);
        std::string upper = again->token;
        std::ranges::transform(upper, upper.begin(), [](char c) { return std::toupper(c); });
        std::string altered = again->token;
        altered[5] = altered[5] == '0' ? '1' : '0';
        for (const std::string& token : {altered, upper, again->token.substr(0, 31)}) {
            EXPECT_TRUE(loggedIn(server.port(), "alice", "secret", token)) << token;
        }
        onFile(options.database, "UPDATE tokens SET expires = 1");
        EXPECT_FALSE(loggedIn(server.port(), "alice", "wrong", again->token)) << "expired";
        auto fallback = loggedIn(server.port(), "alice", "secret", again->token);
        ASSERT_TRUE(fallback) << "not throttled: only the bad passwords failed";
        kept = fallback->token;
    }
    options.tokenLifetime = 0s;
    {
        const RunningServer off(options);
        EXPECT_FALSE(loggedIn(off.port(), "alice", "wrong", kept)) << "tokens off: none taken";
        auto plain = loggedIn(off.port(), "alice", "secret");
        ASSERT_TRUE(plain);
        EXPECT_EQ(plain->token, "") << "tokens off: none given";
    }
    options.tokenLifetime = 1h;
    const RunningServer restarted(options);
    EXPECT_TRUE(loggedIn(restarted.port(), "alice", "wrong", kept)) << "kept through restarts";
}

// Memory-hard checks queued behind each other take longer than the log-in timeout: the
// clients waiting for them stay. After a failed check the client has a whole period again.
TEST(LoginTimeout, CountsTheClientsSilenceNotTheServersChecks) {
    const ScratchDirectory dir;
    ServerOptions options = testOptions(dir);
    options.autoRegister = false;
    options.loginTimeout = 100ms;
    const std::string hash = PasswordHasher::hash("pw", HashCost::Interactive).value();
    auto store = AccountStore::open(options.database);
    for (const char* account : {"slow", "slow1", "slow2", "slow3"}) {
        ASSERT_TRUE(store->add({account, hash, account, 0, 0, 0, 0}));
    }
    const RunningServer server(options);
    std::vector<std::unique_ptr<TestClient>> clients;
    for (const char* account : {"slow", "slow1", "slow2", "slow3"}) {
        clients.push_back(std::make_unique<TestClient>(server.port()));
        ASSERT_TRUE(clients.back()->send(loginRecord(account, "pw")));
    }
    for (auto& client : clients) {
        EXPECT_TRUE(client->waitFor(is(0, 0))) << "cut off while its check waited";
    }
    TestClient retrying(server.port());
    ASSERT_TRUE(retrying.send(loginRecord("slow", "bad")));
    EXPECT_TRUE(retrying.waitFor(is(0, 1)));
    std::this_thread::sleep_for(options.loginTimeout / 3);
    ASSERT_TRUE(retrying.send(loginRecord("slow", "pw")));
    EXPECT_TRUE(retrying.waitFor(is(0, 0))) << "in within its new period";
    TestClient silent(server.port());
    ASSERT_TRUE(silent.send(loginRecord("slow", "bad")));
    EXPECT_TRUE(silent.waitFor(is(0, 1)));
    EXPECT_TRUE(silent.waitClosed()) << "silent for a whole period after the failure";
}

}  // namespace
}  // namespace ardentis::server::testing
