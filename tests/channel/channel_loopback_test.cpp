// The socket layer and the record channel over a real loopback connection: the kernel's
// (or, under Wine, Winsock's) own partial reads, full buffers and close reports.
#include <gtest/gtest.h>

#include <chrono>
#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "platform/file_append.h"
#include "protocol/channel_flags.h"
#include "protocol/connection_helpers.h"
#include "protocol/record_channel.h"
#include "protocol/traffic_log.h"
#include "tests/channel/channel_test_support.h"
#include "tests/channel/loopback_peer.h"
#include "tests/channel/os_client_socket.h"

namespace ardentis::protocol {
namespace {

using namespace std::chrono_literals;
using testing::bytesOf;
using testing::sameBytes;
using testing::sampleRecord;

constexpr auto kPatience = 5s;

std::vector<std::byte> concat(const std::vector<LobbyMessage>& messages) {
    std::vector<std::byte> all;
    for (const LobbyMessage& message : messages) {
        const auto bytes = bytesOf(message);
        all.insert(all.end(), bytes.begin(), bytes.end());
    }
    return all;
}

class Loopback : public ::testing::Test {
  protected:
    Loopback() {
        socket.setEvents({
            .onConnect = [this] { events.emplace_back("connect"); },
            .onRead =
                [this] {
                    ++reads;
                    const std::size_t before = dispatched.size();
                    com.ReceiveStep(dispatch);
                    // Never more than one record per read event.
                    EXPECT_LE(dispatched.size(), before + 1);
                },
            .onDisconnect =
                [this] {
                    events.emplace_back("disconnect");
                    disconnectThread = std::this_thread::get_id();
                },
            .onError =
                [this](const platform::OsError& error) {
                    events.push_back(std::string("error ") + error.api);
                },
        });
    }

    void TearDown() override {
        EXPECT_EQ(flags.sendready.load(), 1);
        EXPECT_EQ(flags.recvready.load(), 1);
    }

    [[nodiscard]] bool connect(const std::string& host = "127.0.0.1") {
        socket.open(host, peer.port());
        return peer.accept() && pumpUntil([this] { return socket.connected(); });
    }

    [[nodiscard]] bool pumpUntil(const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + kPatience;
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            (void)socket.pump(20ms);
        }
        return true;
    }

    // Pumps for a while to show that nothing more happens.
    void pumpAWhile() {
        for (int i = 0; i < 5; ++i) {
            (void)socket.pump(20ms);
        }
    }

    [[nodiscard]] std::vector<std::string> logLines() const {
        return testing::lines(testing::readFile(log.file()));
    }

    testing::ScratchDirectory dir;
    testing::FixedClock clock{platform::LocalTime{2026, 1, 31, 20, 15, 7, 0}};
    TrafficLog log{platform::appendFileAt(dir.path() / "ardentisclient.log"), clock};
    testing::RecordingInfoBox infoBox;
    TcBaseFunctions base{log, infoBox};
    testing::RecordingSleeper sleeper;
    testing::LoopbackPeer peer;
    testing::OsClientSocket socket;
    ChannelFlags flags;
    TCcom com{socket, flags, base, sleeper};

    std::function<void(const LobbyMessage&)> onRecord;
    std::vector<LobbyMessage> dispatched;
    TCcom::Dispatch dispatch = [this](const LobbyMessage& message) {
        events.emplace_back("record");
        if (onRecord) {
            onRecord(message);
        }
        dispatched.push_back(message);
    };
    std::vector<std::string> events;
    int reads = 0;
    std::thread::id disconnectThread;
};

using SocketLoopback = Loopback;

TEST_F(SocketLoopback, ConnectsAndItsOwnCloseRaisesTheDisconnectAtOnce) {
    ASSERT_TRUE(connect());
    EXPECT_EQ(events, std::vector<std::string>{"connect"});
    socket.close();
    EXPECT_EQ(events, (std::vector<std::string>{"connect", "disconnect"}));
    EXPECT_FALSE(socket.connected());
    socket.close();
    pumpAWhile();
    EXPECT_EQ(events.size(), 2U);
    EXPECT_TRUE(peer.receive(1).empty());  // the server sees the connection end
}

TEST_F(SocketLoopback, ClosingASocketThatIsNotConnectedRaisesNothing) {
    socket.close();
    pumpAWhile();
    EXPECT_TRUE(events.empty());
}

TEST_F(SocketLoopback, ARefusedConnectionIsAnError) {
    peer.stopListening();
    socket.open("127.0.0.1", peer.port());
    ASSERT_TRUE(pumpUntil([this] { return !events.empty(); }));
    EXPECT_EQ(events, std::vector<std::string>{"error connect"});
    EXPECT_FALSE(socket.connected());
    socket.close();
    pumpAWhile();
    EXPECT_EQ(events.size(), 1U);
}

TEST_F(SocketLoopback, ResolvesAHostName) {
    ASSERT_TRUE(connect("localhost"));
    EXPECT_EQ(events, std::vector<std::string>{"connect"});
}

TEST_F(SocketLoopback, CloseFromAnotherThreadIsReportedOnTheOwnerThread) {
    ASSERT_TRUE(connect());
    std::thread([this] { socket.close(); }).join();
    EXPECT_FALSE(socket.connected());
    EXPECT_EQ(events, std::vector<std::string>{"connect"});
    ASSERT_TRUE(pumpUntil([this] { return events.size() == 2; }));
    EXPECT_EQ(events.back(), "disconnect");
    EXPECT_EQ(disconnectThread, std::this_thread::get_id());
    pumpAWhile();
    EXPECT_EQ(events.size(), 2U);
}

using ChannelLoopback = Loopback;

TEST_F(ChannelLoopback, ARecordOneByteShortWaitsForItsLastByte) {
    ASSERT_TRUE(connect());
    const LobbyMessage message = sampleRecord(1);
    const auto bytes = bytesOf(message);
    peer.send(std::span(bytes).first(375));
    ASSERT_TRUE(pumpUntil([this] { return reads > 0 && socket.bytesWaiting() == 375; }));
    pumpAWhile();
    EXPECT_TRUE(dispatched.empty());
    EXPECT_TRUE(logLines().empty());

    peer.send(std::span(bytes).last(1));
    ASSERT_TRUE(pumpUntil([this] { return !dispatched.empty(); }));
    EXPECT_TRUE(sameBytes(dispatched[0], message));
    EXPECT_EQ(socket.bytesWaiting(), 0U);
}

TEST_F(ChannelLoopback, TwoRecordsAtOnceAreTakenOnePerReadEvent) {
    ASSERT_TRUE(connect());
    const std::vector<LobbyMessage> sent{sampleRecord(2), sampleRecord(3)};
    peer.send(concat(sent));
    ASSERT_TRUE(pumpUntil([this] { return dispatched.size() == 2; }));
    EXPECT_TRUE(sameBytes(dispatched[0], sent[0]));
    EXPECT_TRUE(sameBytes(dispatched[1], sent[1]));
    EXPECT_GE(reads, 2);
}

TEST_F(ChannelLoopback, RecordsSentBeforeThePeerClosedArriveBeforeTheDisconnect) {
    ASSERT_TRUE(connect());
    const std::vector<LobbyMessage> sent{sampleRecord(4), sampleRecord(5)};
    peer.send(concat(sent));
    peer.close();
    ASSERT_TRUE(pumpUntil([this] { return events.back() == "disconnect"; }));
    EXPECT_EQ(events, (std::vector<std::string>{"connect", "record", "record", "disconnect"}));
    EXPECT_FALSE(socket.connected());
}

TEST_F(ChannelLoopback, APartialRecordLeftWhenThePeerClosesIsDropped) {
    ASSERT_TRUE(connect());
    const auto bytes = bytesOf(sampleRecord(6));
    peer.send(std::span(bytes).first(100));
    peer.close();
    ASSERT_TRUE(pumpUntil([this] { return events.back() == "disconnect"; }));
    EXPECT_EQ(events, (std::vector<std::string>{"connect", "disconnect"}));
}

TEST_F(ChannelLoopback, RecordsAndACloseArrivingWhileTheDispatcherHoldsALoopOpenWaitForIt) {
    ASSERT_TRUE(connect());
    const std::vector<LobbyMessage> sent{sampleRecord(11), sampleRecord(12), sampleRecord(13)};
    const std::vector<std::byte> all = concat(sent);
    const std::span<const std::byte> stream(all);
    int readsInside = 0;
    std::chrono::nanoseconds cpuInside{};
    std::chrono::nanoseconds wallInside{};
    onRecord = [&](const LobbyMessage&) {
        if (!dispatched.empty()) {
            return;
        }
        // As a modal box does: a loop runs inside the read event while a whole record, a
        // record cut in two and the server's close arrive.
        const int readsBefore = reads;
        const auto cpuBefore = testing::threadCpuTime();
        const auto wallBefore = std::chrono::steady_clock::now();
        peer.send(stream.subspan(kRecordSize, kRecordSize + kRecordSize / 2));
        for (int pass = 0; pass < 50; ++pass) {
            if (pass == 25) {
                peer.send(stream.subspan(2 * kRecordSize + kRecordSize / 2));
                peer.close();
            }
            (void)socket.pump(20ms);
        }
        readsInside = reads - readsBefore;
        cpuInside = testing::threadCpuTime() - cpuBefore;
        wallInside = std::chrono::steady_clock::now() - wallBefore;
    };
    peer.send(stream.first(kRecordSize));
    ASSERT_TRUE(pumpUntil([this] { return events.back() == "disconnect"; }));

    EXPECT_EQ(events,
              (std::vector<std::string>{"connect", "record", "record", "record", "disconnect"}));
    ASSERT_EQ(dispatched.size(), sent.size());
    for (std::size_t index = 0; index < sent.size(); ++index) {
        EXPECT_TRUE(sameBytes(dispatched[index], sent[index])) << "record " << index;
    }
    // At most the one event the loop let in, refused; then nothing until the loop ends.
    EXPECT_LE(readsInside, 1);
    EXPECT_LT(cpuInside * 5, wallInside);
}

TEST_F(ChannelLoopback, ASentRecordArrivesWhole) {
    ASSERT_TRUE(connect());
    const LobbyMessage message = sampleRecord(7);
    com.SendRecord(message);
    EXPECT_EQ(peer.receive(kRecordSize), bytesOf(message));
    EXPECT_EQ(sleeper.waits(), (std::vector<int>{50, 1}));
}

TEST_F(ChannelLoopback, TwoThreadsSendingAtOnceNeverInterleave) {
    ASSERT_TRUE(connect());
    constexpr int kPerThread = 30;
    const testing::TwoSenders senders = testing::sendFromTwoThreads(com, kPerThread);
    const std::vector<std::byte> got = peer.receive(2 * kPerThread * kRecordSize);
    EXPECT_TRUE(testing::wholeAndInOrder(got, senders));
}

TEST_F(ChannelLoopback, AFullSendBufferMakesTheSendWaitAndKeepsTheOrder) {
    ASSERT_TRUE(connect());
    // Fill the connection while the server reads nothing, until the socket would block.
    std::vector<std::byte> chunk(64 * 1024);
    for (std::size_t i = 0; i < chunk.size(); ++i) {
        chunk[i] = static_cast<std::byte>(i * 7 % 251);
    }
    std::vector<std::byte> expected;
    for (int round = 0; round < 2; ++round) {
        for (int sent = 0; sent != platform::ClientSocket::kWouldBlock;) {
            sent = socket.send(chunk);
            if (sent > 0) {
                expected.insert(expected.end(), chunk.begin(), chunk.begin() + sent);
            }
        }
        std::this_thread::sleep_for(50ms);  // let the kernel settle, then top it up
    }
    ASSERT_FALSE(expected.empty());

    // The server starts reading only after the first write attempt has met the full buffer.
    std::vector<std::byte> received;
    int writeWaits = 0;
    sleeper.setHook([&](int milliseconds, std::size_t) {
        if (milliseconds == 1 && ++writeWaits > 1) {
            const auto more = peer.receiveWaiting(256 * 1024);
            received.insert(received.end(), more.begin(), more.end());
        }
    });
    const LobbyMessage message = sampleRecord(8);
    com.SendRecord(message);
    EXPECT_GE(writeWaits, 2);

    const std::size_t total = expected.size() + kRecordSize;
    const auto rest = peer.receive(total - received.size());
    received.insert(received.end(), rest.begin(), rest.end());
    const auto bytes = bytesOf(message);
    expected.insert(expected.end(), bytes.begin(), bytes.end());
    ASSERT_EQ(received.size(), expected.size());
    EXPECT_TRUE(received == expected);
}

}  // namespace
}  // namespace ardentis::protocol
