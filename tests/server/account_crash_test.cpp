// The account store when the server dies at any moment: a kill -9 during a burst of
// auto-registrations or during `user add`, and a disk that fills up.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <mutex>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/server/server_fixture.h"
#include "tests/server/server_process.h"

namespace ardentis::server::testing {
namespace {

// What a fresh connection finds in the database: its integrity check's verdict and every
// account.
std::pair<std::string, std::set<std::string>> inspect(const std::string& path) {
    sqlite3* db = nullptr;
    std::pair<std::string, std::set<std::string>> found{"cannot open", {}};
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        const auto each = [](void* into, int, char** values, char**) {
            static_cast<std::set<std::string>*>(into)->insert(values[0] ? values[0] : "");
            return 0;
        };
        std::set<std::string> verdict;
        sqlite3_exec(db, "PRAGMA integrity_check", each, &verdict, nullptr);
        found.first = verdict.size() == 1 ? *verdict.begin() : "several problems";
        sqlite3_exec(db, "SELECT CAST(account AS TEXT) FROM accounts", each, &found.second,
                     nullptr);
    }
    sqlite3_close(db);
    return found;
}

class AccountStore : public ::testing::Test {
  protected:
    ScratchDirectory dir;
    std::string db = (dir.path() / "accounts.db").string();
    std::string errorLog = (dir.path() / "server.log").string();
    std::string serving = "--db " + db + " --auto-register --hash-cost min";
};

TEST_F(AccountStore, EveryAcknowledgedAccountOutlivesKillsAtRandomMoments) {
    const auto seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    std::mutex guard;
    std::set<std::string> acknowledged;
    const auto acknowledge = [&](const std::string& account) {
        const std::scoped_lock lock(guard);
        acknowledged.insert(account);
    };
    for (int round = 0; round < 12; ++round) {
        ServerProcess server(serving, errorLog);
        std::vector<std::thread> clients;
        for (int c = 0; c < 4; ++c) {
            clients.emplace_back([&, c] {
                for (int n = 0;; ++n) {
                    const std::string account = "r" + std::to_string(round) + "c" +
                                                std::to_string(c) + "n" + std::to_string(n);
                    if (!loggedIn(server.port(), account)) {
                        return;
                    }
                    acknowledge(account);
                }
            });
        }
        // `user add` writes the same file meanwhile and is killed at its own random moment.
        const std::string added = "added" + std::to_string(round);
        std::thread adder([&] {
            const auto limit = std::to_string(std::uniform_int_distribution(5, 60)(random) / 1e3);
            if (run("user add " + added + " --hash-cost min --db " + db, "pw\\n",
                    "timeout -s KILL " + limit)
                    .first == 0) {
                acknowledge(added);
            }
        });
        std::this_thread::sleep_for(
            std::chrono::milliseconds(std::uniform_int_distribution(5, 80)(random)));
        server.stop(SIGKILL);
        adder.join();
        for (std::thread& client : clients) {
            client.join();
        }
        const auto [verdict, accounts] = inspect(db);
        ASSERT_EQ(verdict, "ok") << "after round " << round;
        for (const std::string& account : acknowledged) {
            ASSERT_TRUE(accounts.contains(account)) << account << " lost in round " << round;
        }
    }
    EXPECT_GT(acknowledged.size(), 12U) << "the kills came before anything was written";
}

TEST_F(AccountStore, AFullDiskRefusesTheNewAccountAndKeepsServingTheOthers) {
    // A file size limit stands for the full disk: writes past it fail as on a full one.
    {
        ServerProcess server(serving, errorLog);
        ASSERT_TRUE(loggedIn(server.port(), "before"));
        server.stop(SIGTERM);
    }
    ServerProcess full(serving, errorLog, "trap '' XFSZ; ulimit -f 64;");
    int refused = 0;
    std::set<std::string> acknowledged{"before"};
    for (int n = 0; n < 60 && refused == 0; ++n) {
        const std::string account = "late" + std::to_string(n);
        loggedIn(full.port(), account) ? void(acknowledged.insert(account)) : void(++refused);
    }
    EXPECT_EQ(refused, 1) << "the disk never filled up";
    EXPECT_TRUE(loggedIn(full.port(), "before")) << "the server stopped serving";
    EXPECT_EQ(full.stop(SIGTERM), 0);
    std::stringstream log;
    log << std::ifstream(errorLog).rdbuf();
    EXPECT_NE(log.str().find("account store: "), std::string::npos) << log.str();
    const auto [verdict, accounts] = inspect(db);
    EXPECT_EQ(verdict, "ok");
    EXPECT_EQ(accounts, acknowledged);
}

}  // namespace
}  // namespace ardentis::server::testing
