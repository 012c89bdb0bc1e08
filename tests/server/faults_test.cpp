#include <gtest/gtest.h>

#include <random>
#include <thread>

#include "tests/server/lobby_test.h"

namespace ardentis::server::testing {
namespace {

using Faults = LobbyTest;

TEST_F(Faults, ClientDyingMidRecordIsGoneAndTheServerCarriesOn) {
    auto watcher = user("watcher");
    auto dying = user("dying");
    const auto bytes = lobbyChat("dying>>half a record").toBytes();
    ASSERT_TRUE(dying->sendBytes(std::span(bytes).first(150)));
    dying->abort();
    std::vector<LobbyMessage> seen;
    ASSERT_TRUE(
        watcher->waitFor([](const LobbyMessage& m) { return isUser(m, 2, 1, "dying"); }, &seen));
    EXPECT_FALSE(std::ranges::any_of(
        seen, [](const LobbyMessage& m) { return m.sparam1.view() == "dying>>half a record"; }));
    auto next = user("next");
    ASSERT_TRUE(next);
    EXPECT_TRUE(sync(*next, "next"));
}

TEST_F(Faults, RecordSplitAcrossManyReadsArrivesOnceWhole) {
    auto sender = user("sender");
    auto watcher = user("watcher");
    const auto bytes = lobbyChat("sender>>in pieces").toBytes();
    const std::span all(bytes);
    // Odd piece sizes with pauses, so the server sees many short reads.
    std::size_t offset = 0;
    for (std::size_t piece = 1; offset < all.size(); piece = piece * 2 + 1) {
        const std::size_t size = std::min(piece, all.size() - offset);
        ASSERT_TRUE(sender->sendBytes(all.subspan(offset, size)));
        offset += size;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    const std::string after = mark(*sender, "sender");
    std::vector<LobbyMessage> seen = upTo(*watcher, after);
    ASSERT_EQ(count(seen, 1, 0), 2U);
    EXPECT_EQ(seen[seen.size() - 2].sparam1.view(), "sender>>in pieces");
}

TEST_F(Faults, SeveralRecordsInOneWriteArriveInOrder) {
    auto sender = user("sender");
    auto watcher = user("watcher");
    std::vector<std::byte> burst;
    for (int i = 0; i < 12; ++i) {
        const auto bytes = lobbyChat("sender>>" + std::to_string(i)).toBytes();
        burst.insert(burst.end(), bytes.begin(), bytes.end());
    }
    // Plus half of the next record, finished later: the cut falls inside a read.
    const auto tail = lobbyChat("sender>>tail").toBytes();
    burst.insert(burst.end(), tail.begin(), tail.begin() + 200);
    ASSERT_TRUE(sender->sendBytes(burst));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_TRUE(sender->sendBytes(std::span(tail).subspan(200)));
    std::vector<std::string> lines;
    for (const LobbyMessage& m : upTo(*watcher, mark(*sender, "sender"))) {
        if (isKind(m, 1, 0)) {
            lines.emplace_back(m.sparam1.view());
        }
    }
    ASSERT_EQ(lines.size(), 14U);
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(lines[static_cast<std::size_t>(i)], "sender>>" + std::to_string(i));
    }
    EXPECT_EQ(lines[12], "sender>>tail");
}

TEST_F(Faults, UnknownKindsAndServerOnlyKindsAreDropped) {
    auto sender = user("sender");
    auto host = user("host");
    openRoom(*host, "host", "1", {{sender.get(), "sender"}});
    auto watcher = user("watcher");
    const std::initializer_list<std::pair<std::uint8_t, std::int8_t>> kinds = {
        {3, 0}, {5, 0}, {200, 7}, {2, 1}, {4, 2}, {4, 9}, {4, 11}, {4, 7}, {4, -1}, {0, 0}};
    for (const auto& [command, sub] : kinds) {
        LobbyMessage m = userUpdate("sender", "x", "1");
        m.setKind(command, sub);
        m.sparam9.set("1");
        ASSERT_TRUE(sender->send(m));
    }
    for (TestClient* client : {host.get(), watcher.get()}) {
        for (const LobbyMessage& m : upTo(*client, mark(*sender, "sender"))) {
            EXPECT_FALSE(std::ranges::any_of(
                kinds, [&](const auto& kind) { return isKind(m, kind.first, kind.second); }))
                << int(m.command) << ":" << int(m.signedSubcommand());
            EXPECT_FALSE(isKind(m, 2, 0) && m.sparam3.view() == "x");
        }
    }
}

TEST_F(Faults, HostileRecordsNeverBreakTheServer) {
    auto hostile = user("hostile");
    auto host = user("host");
    openRoom(*host, "host", "1", {{hostile.get(), "hostile"}});
    std::mt19937 random(7);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int i = 0; i < 400; ++i) {
        std::array<std::byte, protocol::kRecordSize> bytes{};
        for (auto& b : bytes) {
            b = static_cast<std::byte>(byte(random));
        }
        bytes[0] = static_cast<std::byte>(i % 6);  // mostly kinds the server acts on
        if (i % 3 == 0) {
            bytes[1] = static_cast<std::byte>(std::array{0, 2, 5, 10, 12, 15, 16, 20}[i % 8]);
        }
        ASSERT_TRUE(hostile->sendBytes(bytes));
    }
    EXPECT_TRUE(sync(*host, "host"));
    auto newcomer = user("newcomer");
    ASSERT_TRUE(newcomer);
    EXPECT_TRUE(sync(*newcomer, "newcomer"));
}

class SlowReader : public LobbyTest {
  protected:
    void configure(ServerOptions& o) override { o.queueLimit = 64; }
};

TEST_F(SlowReader, IsCutOffWhileTheOthersGetEverything) {
    auto talker = user("talker");
    auto reader = user("reader");
    auto slow = std::make_unique<TestClient>(server->port(), 4096);
    ASSERT_TRUE(slow->send(loginRecord("slow", "pw")));
    ASSERT_TRUE(slow->receive());  // logged in; from now on it reads nothing

    // Talk until the server gives up on the slow reader; the fast reader reads along.
    const std::string filler(80, 'x');
    int sent = 0;
    int received = 0;
    bool cut = false;
    while (!cut && sent < 200000) {
        for (int i = 0; i < 50; ++i, ++sent) {
            ASSERT_TRUE(talker->send(lobbyChat("talker>>" + std::to_string(sent) + filler)));
        }
        while (talker->receive(0ms)) {
            // the talker hears itself and must keep up too
        }
        while (auto m = reader->receive(received + 100 < sent ? kWait : 1ms)) {
            if (isUser(*m, 2, 1, "slow")) {
                cut = true;
            } else if (isKind(*m, 1, 0)) {
                ASSERT_EQ(m->sparam1.view(), "talker>>" + std::to_string(received) + filler);
                ++received;
            }
        }
    }
    ASSERT_TRUE(cut) << "the slow reader was never cut off";
    EXPECT_TRUE(slow->waitClosed());
    // The fast reader gets every line, in order, up to a final marker.
    for (const LobbyMessage& m : upTo(*reader, mark(*talker, "talker"))) {
        if (isKind(m, 1, 0) && m.sparam1.view().starts_with("talker>>") &&
            !m.sparam1.view().starts_with("talker>>mark")) {
            ASSERT_EQ(m.sparam1.view(), "talker>>" + std::to_string(received) + filler);
            ++received;
        }
    }
    EXPECT_EQ(received, sent);
}

class Flood : public LobbyTest {
  protected:
    void configure(ServerOptions& o) override {
        o.chatRate = 1;
        o.chatBurst = 5;
    }
};

TEST_F(Flood, ChatBeyondTheBurstIsDroppedOtherRecordsPass) {
    auto talker = user("talker");
    auto watcher = user("watcher");
    for (int i = 0; i < 30; ++i) {
        ASSERT_TRUE(talker->send(lobbyChat("talker>>" + std::to_string(i))));
    }
    // Not chat, so it passes; once the talker sees it, all its lines have been judged.
    ASSERT_TRUE(talker->send(roomRecord(0, room("8", "talker"))));
    ASSERT_TRUE(talker->waitFor([](const LobbyMessage& m) { return isRoom(m, 0, "8"); }));
    const auto seen = upTo(*watcher, mark(*watcher, "watcher"));
    const std::size_t lines = count(seen, 1, 0) - 1;
    EXPECT_GE(lines, 4U);  // the burst, less the line the talker synced with
    EXPECT_LT(lines, 30U);
    EXPECT_EQ(std::ranges::count_if(seen, [](const LobbyMessage& m) { return isRoom(m, 0, "8"); }),
              1);
}

}  // namespace
}  // namespace ardentis::server::testing
