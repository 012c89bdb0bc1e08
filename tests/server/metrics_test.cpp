// The metrics endpoint of a real server, scraped on loopback while clients use the lobby.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "protocol/codec.h"
#include "tests/server/server_fixture.h"

namespace ardentis::server::testing {
namespace {

std::string scrape(std::uint16_t port, std::string_view request = "GET /metrics HTTP/1.0\r\n\r\n") {
    ardentis::testing::LoopbackPeer client(port);
    EXPECT_TRUE(client.trySend(std::as_bytes(std::span(request))));
    const auto bytes = client.receive(std::size_t{1} << 20);
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// One sample's value; -1 when the scrape lacks it.
double valueOf(const std::string& scraped, const std::string& sample) {
    const auto at = scraped.find("\n" + sample + " ");
    return at == std::string::npos ? -1 : std::stod(scraped.substr(at + sample.size() + 2));
}

// Scrapes until every sample has its value (they follow the clients' records a little later).
void expectSamples(std::uint16_t port, const std::vector<std::pair<std::string, double>>& wanted) {
    std::string scraped;
    const auto matches = [&] {
        return std::ranges::all_of(
            wanted, [&](const auto& w) { return valueOf(scraped, w.first) == w.second; });
    };
    for (int i = 0; i < 100 && !matches(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(i == 0 ? 0 : 20));
        scraped = scrape(port);
    }
    for (const auto& [sample, value] : wanted) {
        EXPECT_EQ(valueOf(scraped, sample), value) << sample;
    }
}

protocol::LobbyMessage roomWithStatus(std::string_view status) {
    protocol::LobbyMessage message = roomRecord(0, "1", "alice");
    protocol::RoomRecord room = protocol::DecodeRoom(message);
    room.status = text::gbk(status);
    protocol::EncodeRoom(room, message);
    return message;
}

TEST(Metrics, ScrapesCountLogInsChatRoomsFloodsAndFailedLogIns) {
    const ScratchDirectory dir;
    ServerOptions options = testOptions(dir);
    options.metricsHost = "127.0.0.1";
    options.chatRate = 0.001;  // a burst of two chat lines, then next to none
    options.chatBurst = 2;
    const RunningServer server(options);
    const std::uint16_t port = server.metricsPort();
    const std::string first = scrape(port);
    EXPECT_TRUE(first.starts_with("HTTP/1.0 200 OK\r\n")) << first;
    EXPECT_TRUE(scrape(port, "GET / HTTP/1.0\r\n\r\n").starts_with("HTTP/1.0 404"));
    EXPECT_EQ(valueOf(first, "ardentis_users_online"), 0);

    auto alice = loggedIn(server.port(), "alice");
    ASSERT_TRUE(alice);
    EXPECT_FALSE(loggedIn(server.port(), "alice", "wrong"));
    ASSERT_TRUE(alice->send(roomWithStatus("0")));
    ASSERT_TRUE(sync(*alice));  // the first chat line
    expectSamples(port, {{"ardentis_users_online", 1},
                         {"ardentis_failed_logins_total", 1},
                         {"ardentis_rooms{status=\"waiting\"}", 1},
                         {"ardentis_rooms{status=\"playing\"}", 0},
                         {"ardentis_lobby_records_total{kind=\"lobby_chat\"}", 1},
                         {"ardentis_lobby_records_total{kind=\"room\"}", 1},
                         {"ardentis_records_in_total", 4},
                         {"ardentis_flood_dropped_records_total", 0},
                         {"ardentis_queued_bytes", 0}});
    EXPECT_GT(valueOf(scrape(port), "ardentis_records_out_total"), 4);
    EXPECT_GT(valueOf(scrape(port), "ardentis_delivery_seconds_count"), 0);

    ASSERT_TRUE(alice->send(roomWithStatus("1")));
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(alice->send(record(1, 0, {"alice>>flood"})));
    }
    expectSamples(port, {{"ardentis_rooms{status=\"waiting\"}", 0},
                         {"ardentis_rooms{status=\"playing\"}", 1},
                         {"ardentis_lobby_records_total{kind=\"lobby_chat\"}", 2},
                         {"ardentis_flood_dropped_records_total", 2},
                         {"ardentis_records_in_total", 8}});
}

TEST(Metrics, CountAReaderCutOffAndTheBytesWaitingForIt) {
    const ScratchDirectory dir;
    ServerOptions options = testOptions(dir);
    options.metricsHost = "127.0.0.1";
    options.queueBytes = 4 * protocol::kRecordSize;
    options.slowReader = 300ms;
    const RunningServer server(options);
    auto talker = loggedIn(server.port(), "talker");
    TestClient slow(server.port(), 4096);
    ASSERT_TRUE(talker && slow.send(loginRecord("slow", "pw")) && slow.next());  // then it stops
    bool cut = false;
    bool queued = false;  // seen while the slow reader's records wait behind its write
    for (int round = 0; round < 5000 && !cut; ++round) {
        for (int i = 0; i < 50; ++i) {
            ASSERT_TRUE(talker->send(record(1, 0, {"talker>>x"})));
        }
        while (auto m = talker->next(0ms)) {  // the talker keeps up
            cut = cut || is(2, 1, "slow")(*m);
        }
        queued = queued || valueOf(scrape(server.metricsPort()), "ardentis_queued_bytes") > 0;
    }
    EXPECT_TRUE(cut && queued);
    expectSamples(server.metricsPort(), {{"ardentis_slow_readers_cut_total", 1}});
}

}  // namespace
}  // namespace ardentis::server::testing
