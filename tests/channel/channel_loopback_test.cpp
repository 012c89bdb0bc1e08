// One contract for the sockets under the record channel, run on the real socket (POSIX here,
// Winsock under Wine) over loopback and on the scripted one, so that the two cannot drift;
// then the real socket's own cases.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "platform/fake/scripted_socket.h"
#include "tests/channel/channel_test_support.h"
#include "tests/channel/os_client_socket.h"
#include "tests/support/loopback_peer.h"

namespace ardentis::testing {
namespace {

using namespace std::chrono_literals;
using protocol::kRecordSize;

// The channel over the real or the scripted socket, wired as the lobby window wires it,
// and the server at the far end.
class ChannelOver : public ::testing::Test {
  protected:
    explicit ChannelOver(bool isReal) : real(isReal) {
        socket.setEvents({
            .onConnect = [this] { events.emplace_back("connect"); },
            .onRead =
                [this] {
                    ++reads;
                    const std::size_t before = received.size();
                    rig.com.ReceiveStep(dispatch);
                    EXPECT_LE(received.size(), before + kRecordSize) << "two records in one event";
                },
            .onDisconnect =
                [this] {
                    events.emplace_back("disconnect");
                    disconnectThread = std::this_thread::get_id();
                },
            .onError =
                [this](const platform::OsError& e) {
                    events.push_back(std::string("error ") + e.api);
                },
        });
        // Small rig and would-blocks, so that a scripted send is cut anywhere.
        std::vector<int> steps;
        for (int i = 0; i < 2000; ++i) {
            steps.push_back(i % 7 == 3 ? platform::ScriptedSocket::kBlock : 37 + i % 50);
        }
        fake.scriptSends(steps);
    }

    [[nodiscard]] bool connect() {
        socket.open("127.0.0.1", peer.port());
        if (!real) {
            fake.completeConnect();
        }
        return (!real || peer.accept()) && pumpUntil([this] { return socket.connected(); });
    }
    void peerSend(std::span<const std::byte> bytes) { real ? peer.send(bytes) : fake.feed(bytes); }
    void peerClose() { real ? peer.close() : void(fakeClosing = true); }
    [[nodiscard]] std::vector<std::byte> peerReceive(std::size_t count) {
        if (real) {
            return peer.receive(count);
        }
        std::vector<std::byte> sent = fake.sent();
        sent.resize(std::min(count, sent.size()));
        return sent;
    }
    // Lets the socket raise what is due. The scripted one is driven as the real one's loop
    // runs: a read event while bytes wait, again after one that took some, not again for a
    // fragment the handler left until more comes; the peer's close after the bytes.
    void pump() {
        if (real) {
            (void)os.pump(20ms);
        } else if (const std::size_t waiting = fake.bytesWaiting();
                   waiting > 0 && waiting != stalledAt) {
            fake.raiseRead();
            stalledAt = fake.bytesWaiting() == waiting ? waiting : 0;
        } else if (std::exchange(fakeClosing, false)) {
            fake.peerClose();
        }
    }
    [[nodiscard]] bool pumpUntil(const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        while (!done() && std::chrono::steady_clock::now() < deadline) {
            pump();
        }
        return done();
    }
    // Pumps for a while to show that nothing more happens.
    void pumpAWhile() {
        for (int i = 0; i < 5; ++i) {
            pump();
        }
    }

    const bool real;
    LoopbackPeer peer;
    OsClientSocket os;
    platform::ScriptedSocket fake;
    bool fakeClosing = false;
    std::size_t stalledAt = 0;
    platform::ClientSocket& socket = real ? static_cast<platform::ClientSocket&>(os) : fake;
    ChannelRig rig{socket};
    std::function<void()> onRecord;
    std::vector<std::byte> received;  // every dispatched record, in order
    protocol::TCcom::Dispatch dispatch = [this](const protocol::LobbyMessage& message) {
        events.emplace_back("record");
        const auto bytes = message.toBytes();
        received.insert(received.end(), bytes.begin(), bytes.end());
        if (onRecord) {
            onRecord();
        }
    };
    std::vector<std::string> events;
    int reads = 0;
    std::thread::id disconnectThread;
};

class SocketContract : public ChannelOver, public ::testing::WithParamInterface<bool> {
  protected:
    SocketContract() : ChannelOver(GetParam()) {}
};

TEST_P(SocketContract, ConnectsAndOnlyItsOwnCloseOfAConnectionRaisesTheDisconnectAtOnce) {
    socket.close();
    ASSERT_TRUE(connect());
    EXPECT_EQ(events, std::vector<std::string>{"connect"});
    socket.close();
    EXPECT_EQ(events, (std::vector<std::string>{"connect", "disconnect"}));
    EXPECT_FALSE(socket.connected());
    socket.close();
    pumpAWhile();
    EXPECT_EQ(events.size(), 2U);
    EXPECT_TRUE(peerReceive(1).empty());  // the server sees the end, no bytes
}

TEST_P(SocketContract, RecordsArriveWholeOnePerReadEventAndAShortOneWaitsForItsLastByte) {
    ASSERT_TRUE(connect());
    const auto bytes = bytesOf({sampleRecord(1), sampleRecord(2)});
    const std::span<const std::byte> stream(bytes);
    peerSend(stream.first(kRecordSize - 1));
    ASSERT_TRUE(pumpUntil([this] { return reads > 0; }));
    pumpAWhile();
    EXPECT_EQ(socket.bytesWaiting(), kRecordSize - 1);
    EXPECT_LE(reads, 2) << "a fragment the handler left is raised again before more comes";
    EXPECT_TRUE(received.empty());
    EXPECT_TRUE(rig.logLines().empty());

    peerSend(stream.subspan(kRecordSize - 1));
    ASSERT_TRUE(pumpUntil([this] { return received.size() == 2 * kRecordSize; }));
    EXPECT_EQ(received, bytes);
    EXPECT_EQ(socket.bytesWaiting(), 0U);
    EXPECT_EQ(rig.logLines().size(), 2U);
}

TEST_P(SocketContract, RecordsSentBeforeThePeerClosedArriveBeforeTheDisconnectAFragmentIsDropped) {
    ASSERT_TRUE(connect());
    auto bytes = bytesOf({sampleRecord(4), sampleRecord(5), sampleRecord(6)});
    bytes.resize(2 * kRecordSize + 100);
    peerSend(bytes);
    peerClose();
    ASSERT_TRUE(pumpUntil([this] { return events.back() == "disconnect"; }));
    EXPECT_EQ(events, (std::vector<std::string>{"connect", "record", "record", "disconnect"}));
    EXPECT_EQ(received, std::vector(bytes.begin(), bytes.begin() + 2 * kRecordSize));
    EXPECT_FALSE(socket.connected());
}

TEST_P(SocketContract, TwoThreadsSendWholeRecordsEachInItsOwnOrder) {
    ASSERT_TRUE(connect());
    constexpr int kPerThread = 25;
    const auto send = [this](int first) {
        for (int i = first; i < first + kPerThread; ++i) {
            rig.com.SendRecord(sampleRecord(i));
        }
    };
    std::thread chat(send, 200);
    send(100);
    chat.join();
    const auto got = peerReceive(2 * kPerThread * kRecordSize);
    ASSERT_EQ(got.size(), 2 * kPerThread * kRecordSize);
    int next[] = {100, 200};  // each thread's next record
    for (std::size_t offset = 0; offset < got.size(); offset += kRecordSize) {
        const std::vector record(got.begin() + static_cast<std::ptrdiff_t>(offset),
                                 got.begin() + static_cast<std::ptrdiff_t>(offset + kRecordSize));
        int& thread = next[record == bytesOf({sampleRecord(next[0])}) ? 0 : 1];
        ASSERT_EQ(record, bytesOf({sampleRecord(thread)}))
            << "byte " << offset << " is no record's start";
        ++thread;
    }
}

INSTANTIATE_TEST_SUITE_P(Sockets, SocketContract, ::testing::Values(true, false),
                         [](const auto& p) { return p.param ? "Real" : "Scripted"; });

class Loopback : public ChannelOver {
  protected:
    Loopback() : ChannelOver(true) {}
};
using SocketLoopback = Loopback;
using ChannelLoopback = Loopback;

TEST_F(SocketLoopback, ARefusedConnectionIsAnErrorAndAHostNameIsLookedUp) {
    std::uint16_t freePort = 0;
    {
        const LoopbackPeer gone;
        freePort = gone.port();
    }
    socket.open("127.0.0.1", freePort);
    ASSERT_TRUE(pumpUntil([this] { return !events.empty(); }));
    EXPECT_EQ(events, std::vector<std::string>{"error connect"});
    EXPECT_FALSE(socket.connected());
    socket.close();
    pumpAWhile();
    EXPECT_EQ(events.size(), 1U);
    socket.open("localhost", peer.port());
    EXPECT_TRUE(peer.accept());
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

TEST_F(ChannelLoopback, RecordsAndACloseArrivingWhileTheDispatcherHoldsALoopOpenWaitForIt) {
    ASSERT_TRUE(connect());
    const auto all = bytesOf({sampleRecord(11), sampleRecord(12), sampleRecord(13)});
    const std::span<const std::byte> stream(all);
    int readsInside = 0;
    std::chrono::nanoseconds cpuInside{};
    std::chrono::nanoseconds wallInside{};
    onRecord = [&] {
        if (received.size() > kRecordSize) {
            return;
        }
        // As a modal box does: a loop runs inside the read event while a whole record, a
        // record cut in two and the server's close arrive.
        const int readsBefore = reads;
        const auto cpuBefore = threadCpuTime();
        const auto wallBefore = std::chrono::steady_clock::now();
        peer.send(stream.subspan(kRecordSize, kRecordSize + kRecordSize / 2));
        for (int pass = 0; pass < 50; ++pass) {
            if (pass == 25) {
                peer.send(stream.subspan(2 * kRecordSize + kRecordSize / 2));
                peer.close();
            }
            pump();
        }
        readsInside = reads - readsBefore;
        cpuInside = threadCpuTime() - cpuBefore;
        wallInside = std::chrono::steady_clock::now() - wallBefore;
    };
    peer.send(stream.first(kRecordSize));
    ASSERT_TRUE(pumpUntil([this] { return events.back() == "disconnect"; }));
    EXPECT_EQ(events,
              (std::vector<std::string>{"connect", "record", "record", "record", "disconnect"}));
    EXPECT_EQ(received, all);
    // At most the one event the loop let in, refused; then nothing until the loop ends.
    EXPECT_LE(readsInside, 1);
    EXPECT_LT(cpuInside * 5, wallInside);
}

TEST_F(ChannelLoopback, AFullSendBufferMakesTheSendWaitAndKeepsTheOrder) {
    ASSERT_TRUE(connect());
    std::vector<std::byte> chunk(64 * 1024);
    for (std::size_t i = 0; i < chunk.size(); ++i) {
        chunk[i] = static_cast<std::byte>(i * 7 % 251);
    }
    // Before the channel's first write attempt the connection is filled, the server reading
    // nothing, until the socket would block; from the attempt after on, the server reads.
    std::vector<std::byte> expected;
    std::vector<std::byte> got;
    rig.sleeper.setHook([&](int, std::size_t call) {
        for (int sent = 0; call == 0 && sent != platform::ClientSocket::kWouldBlock;) {
            sent = socket.send(chunk);
            expected.insert(expected.end(), chunk.begin(), chunk.begin() + std::max(sent, 0));
        }
        const auto more = call > 1 ? peer.receiveWaiting(256 * 1024) : std::vector<std::byte>{};
        got.insert(got.end(), more.begin(), more.end());
    });
    const auto record = bytesOf({sampleRecord(8)});
    rig.com.SendRecord(sampleRecord(8));
    EXPECT_TRUE(socket.connected()) << "a full buffer is no lost connection";
    expected.insert(expected.end(), record.begin(), record.end());
    const auto rest = peer.receive(expected.size() - std::min(got.size(), expected.size()));
    got.insert(got.end(), rest.begin(), rest.end());
    EXPECT_TRUE(got == expected) << got.size() << " bytes of " << expected.size();
}

}  // namespace
}  // namespace ardentis::testing
