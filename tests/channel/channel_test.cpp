// The record channel: over a scripted socket for every partial write, short read and lost
// connection exactly where the test wants it; over the real socket (POSIX here, Winsock under
// Wine) and loopback for what only a real connection shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/fake/scripted_socket.h"
#include "platform/file_append.h"
#include "protocol/record_channel.h"
#include "protocol/record_text.h"
#include "protocol/traffic_log.h"
#include "tests/support/doubles.h"
#include "tests/support/loopback_peer.h"
#include "tests/support/scratch_directory.h"
#ifdef _WIN32
#include "platform/win32/winsock_client_socket.h"
using OsClientSocket = ardentis::platform::WinsockClientSocket;
#else
#include "platform/posix/posix_client_socket.h"
using OsClientSocket = ardentis::platform::PosixClientSocket;
#endif

namespace ardentis::protocol {
namespace {

using namespace std::chrono_literals;
using Lines = std::vector<std::string>;
using Records = std::vector<std::vector<std::byte>>;
constexpr int kBlock = platform::ScriptedSocket::kBlock;
const std::string kNotReady = "send is not ready ,waiting......";

// A record whose fields are all set from `seed`, so that records differ everywhere.
LobbyMessage sampleRecord(int seed) {
    LobbyMessage message{};
    message.setKind(static_cast<std::uint8_t>(seed % 5), static_cast<std::int8_t>(seed % 21));
    message.sparam1.set("r" + std::to_string(seed) + " first field");
    message.sparam9.set("r" + std::to_string(seed) + "-9");
    message.iparam1.set(seed * 1000 + 7);
    return message;
}

std::vector<std::byte> bytesOf(std::initializer_list<LobbyMessage> records) {
    std::vector<std::byte> all;
    for (const LobbyMessage& record : records) {
        const auto bytes = record.toBytes();
        all.insert(all.end(), bytes.begin(), bytes.end());
    }
    return all;
}

// A record channel over `socket`, with its log, its flags and a sleeper that does not wait.
struct ChannelRig {
    explicit ChannelRig(platform::ClientSocket& socket) : com(socket, flags, base, sleeper) {}
    ~ChannelRig() {
        // Whatever happened, the next connection must find both flags free.
        EXPECT_EQ(flags.sendready.load(), 1);
        EXPECT_EQ(flags.recvready.load(), 1);
    }
    [[nodiscard]] std::vector<std::string> logLines() const {
        return testing::lines(testing::readFile(log.file()));
    }
    // How a record sent ("Send") or received ("Recv") is logged.
    [[nodiscard]] static std::string line(const char* direction, const LobbyMessage& m) {
        return std::string("2026-01-31 20:15:07 ") + direction + " " + CommandText(m).bytes() +
               " " + RecordText(m).bytes();
    }

    testing::ScratchDirectory dir;
    testing::FixedClock clock{platform::LocalTime{2026, 1, 31, 20, 15, 7, 0}};
    TrafficLog log{platform::appendFileAt(dir / "ardentisclient.log"), clock};
    testing::RecordingInfoBox infoBox;
    TcBaseFunctions base{log, infoBox};
    testing::RecordingSleeper sleeper;
    ChannelFlags flags;
    TCcom com;
};

// A connected scripted socket that counts its disconnect events.
struct Connection {
    Connection() {
        socket.setEvents({{}, {}, [this] { ++disconnects; }, {}});  // counts disconnects only
        socket.open("127.0.0.1", 8888);
        socket.completeConnect();
    }
    platform::ScriptedSocket socket;
    int disconnects = 0;
};

class Channel : public ::testing::Test {
  protected:
    Connection connection;
    platform::ScriptedSocket& socket = connection.socket;
    ChannelRig rig{socket};
    Records dispatched;
    TCcom::Dispatch keep = [this](const LobbyMessage& m) { dispatched.push_back(bytesOf({m})); };
};

TEST(ChannelSend, ShortWritesAndWouldBlocksStillSendTheRecordWholeAndEachShortCountIsLoggedOnce) {
    const std::pair<std::vector<int>, Lines> cases[] = {
        {{200, kBlock}, {"send 200 bytes"}},
        {{kBlock, kBlock, kBlock}, {}},
        {{0}, {"send 0 bytes"}},
        {{1, 374}, {"send 1 bytes", "send 375 bytes"}},
        {{376}, {}},
    };
    for (const auto& [script, shortCounts] : cases) {
        SCOPED_TRACE(script.front());
        Connection each;
        ChannelRig channel(each.socket);
        each.socket.scriptSends(script);
        const LobbyMessage message = sampleRecord(3);
        channel.com.SendRecord(message);
        EXPECT_EQ(each.socket.sent(), bytesOf({message}));
        Lines expected{channel.line("Send", message)};
        expected.insert(expected.end(), shortCounts.begin(), shortCounts.end());
        EXPECT_EQ(channel.logLines(), expected);
    }
}

// Another thread's send holds the flag of this socket (or of another lobby socket) until the
// third wait, when it ends or the connection is lost.
TEST(ChannelSend, WaitsWhileTheOtherSendOfItsSocketRunsAndGivesUpWhenTheConnectionIsLost) {
    enum Other : std::uint8_t { Ends, Lost, OnAnotherSocket };
    for (const Other other : {Ends, Lost, OnAnotherSocket}) {
        SCOPED_TRACE(other);
        const bool lost = other == Lost;
        Connection each;
        ChannelRig channel(each.socket);
        ChannelFlags anotherSocket;
        std::optional<FlagHold> hold;
        hold.emplace(other == OnAnotherSocket ? anotherSocket.sendready : channel.flags.sendready);
        ASSERT_TRUE(hold->tryTake());
        channel.sleeper.setHook([&](int, std::size_t call) {
            EXPECT_TRUE(other == OnAnotherSocket || each.socket.sent().empty())
                << "sent while the other send ran";
            if (call == 3) {
                lost ? each.socket.drop() : hold.reset();
            }
        });
        const LobbyMessage message = sampleRecord(6);
        channel.com.SendRecord(message);
        const Lines log = channel.logLines();
        const auto waits = static_cast<std::size_t>(std::ranges::count(log, kNotReady));
        EXPECT_EQ(waits == 0, other == OnAnotherSocket);
        EXPECT_EQ(log.size(), waits + (lost ? 0 : 1));
        EXPECT_EQ(log.back(), lost ? kNotReady : channel.line("Send", message));
        EXPECT_EQ(each.socket.sent(), lost ? std::vector<std::byte>{} : bytesOf({message}));
        EXPECT_EQ(each.disconnects, lost ? 1 : 0);
        // The abandoned send never held the flag, so it did not give back the other's.
        EXPECT_EQ(channel.flags.sendready.load(), lost ? 0 : 1);
    }
}

TEST_F(Channel, TwoThreadsSendWholeRecordsEachInItsOwnOrderThroughCutWrites) {
    std::vector<int> steps;
    for (int i = 0; i < 2000; ++i) {
        steps.push_back(i % 7 == 3 ? kBlock : 37 + i % 50);
    }
    socket.scriptSends(steps);
    constexpr int kPerThread = 25;
    const auto send = [this](int first) {
        for (int i = first; i < first + kPerThread; ++i) {
            rig.com.SendRecord(sampleRecord(i));
        }
    };
    std::thread chat(send, 200);
    send(100);
    chat.join();
    const auto got = socket.sent();
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

TEST_F(Channel, ConnectionLostMidRecordDropsItAndGivesBothFlagsBack) {
    const LobbyMessage message = sampleRecord(8);
    const std::vector<std::byte> whole = bytesOf({message});
    socket.scriptSends({200});
    socket.dropAfterSent(200);
    rig.com.SendRecord(message);
    EXPECT_EQ(socket.sent(), std::vector(whole.begin(), whole.begin() + 200));
    EXPECT_EQ(connection.disconnects, 1);

    Connection receiving;  // the next connection loses the record it reads
    TCcom com(receiving.socket, rig.flags, rig.base, rig.sleeper);
    receiving.socket.feed(whole);
    receiving.socket.scriptReceives({100});
    receiving.socket.dropAfterReceived(100);
    com.ReceiveStep(keep);
    EXPECT_TRUE(dispatched.empty());
    EXPECT_EQ(receiving.disconnects, 1);
    EXPECT_EQ(rig.logLines(), (Lines{rig.line("Send", message), "send 200 bytes",
                                     "received 100 bytes, continue;"}));
}

TEST_F(Channel, ACloseOrADispatcherThatReplacesTheChannelEndsItsStepQuietly) {
    // A connection reset (on the disconnect event, or inside the dispatcher) destroys the
    // channel and its helper while their step is still on the stack.
    auto helper = std::make_unique<TcBaseFunctions>(rig.log, rig.infoBox);
    auto com = std::make_unique<TCcom>(socket, rig.flags, *helper, rig.sleeper);
    socket.feed(bytesOf({sampleRecord(23)}));
    com->ReceiveStep([&](const LobbyMessage&) {
        com.reset();
        helper.reset();
        throw std::runtime_error("reset");
    });
    EXPECT_EQ(rig.logLines().back(), "dispatch failed: reset");

    helper = std::make_unique<TcBaseFunctions>(rig.log, rig.infoBox);
    com = std::make_unique<TCcom>(socket, rig.flags, *helper, rig.sleeper);
    socket.setEvents({{}, {}, [&] { com.reset(), helper.reset(); }, {}});  // on disconnect
    socket.scriptSends({100});
    socket.dropAfterSent(100);
    com->SendRecord(sampleRecord(9));
    EXPECT_EQ(com, nullptr);
    EXPECT_EQ(socket.sent().size(), 100U);
}

TEST_F(Channel, ShortReadsAStepInsideTheDispatcherOrAFailingOneLeaveTheRestToLaterSteps) {
    const LobbyMessage records[] = {sampleRecord(16), sampleRecord(17), sampleRecord(18)};
    socket.feed(bytesOf({records[0], records[1], records[2]}));
    socket.scriptReceives({100, kBlock});  // each short read is logged, the step reads on
    int calls = 0;
    const TCcom::Dispatch dispatch = [&](const LobbyMessage& message) {
        if (++calls == 1) {
            rig.com.ReceiveStep(keep);  // a modal box lets the next read event in
            throw std::runtime_error("boom");
        }
        if (calls == 2) {
            throw 42;
        }
        keep(message);
    };
    for (int step = 0; step < 3; ++step) {
        rig.com.ReceiveStep(dispatch);
    }
    EXPECT_EQ(dispatched, Records{bytesOf({records[2]})});
    EXPECT_EQ(rig.logLines(),
              (Lines{"received 100 bytes, continue;", "received -1 bytes, continue;",
                     "received 276 bytes, continue;", rig.line("Recv", records[0]),
                     "receive is not ready, continue", "dispatch failed: boom",
                     rig.line("Recv", records[1]), "dispatch failed: unknown error",
                     rig.line("Recv", records[2])}));
}

class ChannelLoopback : public ::testing::Test {
  protected:
    ChannelLoopback() {
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
    }

    [[nodiscard]] bool connect(const char* host = "127.0.0.1") {
        socket.open(host, peer.port());
        return peer.accept() && pumpUntil([this] { return socket.connected(); });
    }
    [[nodiscard]] bool pumpUntil(const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        while (!done() && std::chrono::steady_clock::now() < deadline) {
            (void)socket.pump(20ms);
        }
        return done();
    }
    // Pumps for a while; how many of the pumps raised an event.
    int pumpAWhile(int pumps = 5) {
        int raised = 0;
        for (int i = 0; i < pumps; ++i) {
            raised += socket.pump(20ms) ? 1 : 0;
        }
        return raised;
    }

    testing::LoopbackPeer peer;
    OsClientSocket socket;
    ChannelRig rig{socket};
    std::function<void()> onRecord;
    std::vector<std::byte> received;  // every dispatched record, in order
    TCcom::Dispatch dispatch = [this](const LobbyMessage& message) {
        events.emplace_back("record");
        const auto bytes = message.toBytes();
        received.insert(received.end(), bytes.begin(), bytes.end());
        if (onRecord) {
            onRecord();
        }
    };
    Lines events;
    int reads = 0;
    std::thread::id disconnectThread;
};

TEST_F(ChannelLoopback,
       ARefusedOpenIsAnErrorAHostNameIsLookedUpAndOnlyItsOwnCloseIsReportedAtOnce) {
    const std::uint16_t freePort = testing::LoopbackPeer().port();  // closed again at once
    socket.close();
    socket.open("127.0.0.1", freePort);
    ASSERT_TRUE(pumpUntil([this] { return !events.empty(); }));
    EXPECT_EQ(events, Lines{"error connect"});
    socket.close();
    EXPECT_EQ(pumpAWhile(), 0);
    ASSERT_TRUE(connect("localhost"));
#ifndef _WIN32
    // A server gone without a word is found by probes after a minute of silence.
    EXPECT_EQ(testing::keepAliveIdleTimes(), std::vector<int>{60});
#endif
    socket.close();
    EXPECT_EQ(events, (Lines{"error connect", "connect", "disconnect"}));
    EXPECT_TRUE(peer.receive(1).empty());  // the server sees the end, no bytes
}

TEST_F(ChannelLoopback, RecordsArriveWholeOnePerReadEventBeforeThePeersCloseAndAFragmentWaits) {
    ASSERT_TRUE(connect());
    auto bytes = bytesOf({sampleRecord(1), sampleRecord(2), sampleRecord(3)});
    bytes.resize(2 * kRecordSize + 100);
    const std::span<const std::byte> stream(bytes);
    peer.send(stream.first(kRecordSize - 1));
    ASSERT_TRUE(pumpUntil([this] { return reads > 0; }));
    (void)pumpAWhile();
    EXPECT_EQ(socket.bytesWaiting(), kRecordSize - 1);
    EXPECT_LE(reads, 2) << "a fragment the handler left is raised again before more comes";
    EXPECT_TRUE(rig.logLines().empty());

    peer.send(stream.subspan(kRecordSize - 1));  // the rest, a record and a fragment
    peer.close();
    ASSERT_TRUE(pumpUntil([this] { return events.back() == "disconnect"; }));
    EXPECT_EQ(events, (Lines{"connect", "record", "record", "disconnect"}));
    EXPECT_EQ(received, std::vector(bytes.begin(), bytes.begin() + 2 * kRecordSize));
    EXPECT_EQ(rig.logLines().size(), 2U);
}

// As a modal box does, the dispatcher runs a loop inside the read event while a whole record,
// a record cut in two and the server's close arrive. Inside it the socket raises at most the
// one read it let in, refused, and wakes the loop for nothing else; all waits until it ends.
TEST_F(ChannelLoopback, RecordsAndACloseArrivingWhileTheDispatcherHoldsALoopOpenWaitForIt) {
    ASSERT_TRUE(connect());
    const auto all = bytesOf({sampleRecord(11), sampleRecord(12), sampleRecord(13)});
    const std::span<const std::byte> stream(all);
    int wakesInside = 0;
    onRecord = [&] {
        if (received.size() > kRecordSize) {
            return;
        }
        peer.send(stream.subspan(kRecordSize, kRecordSize + kRecordSize / 2));
        for (int pass = 0; pass < 40; ++pass) {
            if (pass == 10) {
                peer.send(stream.subspan(2 * kRecordSize + kRecordSize / 2));
                peer.close();
            }
            wakesInside += pumpAWhile(1);
        }
    };
    peer.send(stream.first(kRecordSize));
    ASSERT_TRUE(pumpUntil([this] { return events.back() == "disconnect"; }));
    EXPECT_EQ(events, (Lines{"connect", "record", "record", "record", "disconnect"}));
    EXPECT_EQ(received, all);
    EXPECT_LE(wakesInside, 1) << "the loop was woken again for the held bytes or the close";
}

TEST_F(ChannelLoopback,
       AFullSendBufferMakesTheSendWaitInOrderAndAnotherThreadsCloseIsReportedHere) {
    ASSERT_TRUE(connect());
    const std::vector<std::byte> chunk(64 * 1024, std::byte{0x5A});
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

    std::thread([this] { socket.close(); }).join();
    EXPECT_FALSE(socket.connected());
    EXPECT_EQ(events, Lines{"connect"});
    ASSERT_TRUE(pumpUntil([this] { return events.size() == 2; }));
    EXPECT_EQ(events.back(), "disconnect");
    EXPECT_EQ(disconnectThread, std::this_thread::get_id());
    EXPECT_EQ(pumpAWhile(), 0);
}

}  // namespace
}  // namespace ardentis::protocol
