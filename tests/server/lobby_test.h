#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string_view>
#include <utility>

#include "tests/server/lobby_records.h"
#include "tests/server/server_fixture.h"

namespace ardentis::server::testing {

// A running server with auto-registration, and helpers to bring users and rooms about.
class LobbyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        options.autoRegister = true;
        configure(options);
        server = std::make_unique<RunningServer>(options);
    }
    virtual void configure(ServerOptions&) {}

    std::unique_ptr<TestClient> user(std::string_view account) {
        auto client = loggedIn(server->port(), account);
        EXPECT_TRUE(client) << account;
        // Read past the newcomer's lists, so a test sees only what follows.
        EXPECT_TRUE(client && sync(*client, account)) << account;
        return client;
    }

    // `host` opens a room and each joiner joins it. Returns when every joiner is in and
    // everyone taking part has read past the room's announcements.
    void openRoom(TestClient& host, std::string_view hostAccount, std::string_view roomno,
                  std::initializer_list<std::pair<TestClient*, std::string_view>> joiners) {
        ASSERT_TRUE(host.send(roomRecord(0, room(roomno, hostAccount))));
        ASSERT_TRUE(host.waitFor([&](const LobbyMessage& m) { return isRoom(m, 0, roomno); }));
        for (const auto& [joiner, account] : joiners) {
            ASSERT_TRUE(joiner->send(roomJoin(roomno, "whoever")));
            ASSERT_TRUE(joiner->waitFor([&](const LobbyMessage& m) {
                return isKind(m, 4, 2) && m.sparam9.view() == roomno;
            }));
        }
        ASSERT_TRUE(sync(host, hostAccount));
        for (const auto& [joiner, account] : joiners) {
            ASSERT_TRUE(sync(*joiner, account));
        }
    }

    TempDir dir;
    ServerOptions options = testOptions(dir);
    std::unique_ptr<RunningServer> server;
};

}  // namespace ardentis::server::testing
