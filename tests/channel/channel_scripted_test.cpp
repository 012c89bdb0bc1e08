// The record channel over a scripted socket: every partial write, short read and lost
// connection exactly where the test wants it.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/fake/scripted_socket.h"
#include "tests/channel/channel_test_support.h"

namespace ardentis::protocol {
namespace {

using testing::bytesOf;
using testing::sampleRecord;
using Lines = std::vector<std::string>;
using Records = std::vector<std::vector<std::byte>>;
constexpr int kBlock = platform::ScriptedSocket::kBlock;
const std::string kNotReady = "send is not ready ,waiting......";

// A connected scripted socket that counts its disconnect events.
struct Connection {
    Connection() {
        socket.setEvents({.onConnect = {},
                          .onRead = {},
                          .onDisconnect = [this] { ++disconnects; },
                          .onError = {}});
        socket.open("127.0.0.1", 8888);
        socket.completeConnect();
    }
    platform::ScriptedSocket socket;
    int disconnects = 0;
};

// Another thread's send, holding the flag until reset.
void holdSend(std::optional<FlagHold>& hold, ChannelFlags& flags) {
    hold.emplace(flags.sendready);
    EXPECT_TRUE(hold->tryTake());
}

class Channel : public ::testing::Test {
  protected:
    std::string sendLine(const LobbyMessage& m) const { return rig.line("Send", m); }
    std::string recvLine(const LobbyMessage& m) const { return rig.line("Recv", m); }

    Connection connection;
    platform::ScriptedSocket& socket = connection.socket;
    testing::ChannelRig rig{socket};
    Records dispatched;
    TCcom::Dispatch keep = [this](const LobbyMessage& m) { dispatched.push_back(bytesOf({m})); };
};
using ChannelSend = Channel;
using ChannelReceive = Channel;

TEST_F(ChannelSend, ShortWritesAndWouldBlocksStillSendTheRecordWholeAndEachShortCountIsLoggedOnce) {
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
        testing::ChannelRig channel(each.socket);
        each.socket.scriptSends(script);
        const LobbyMessage message = sampleRecord(3);
        channel.com.SendRecord(message);
        EXPECT_EQ(each.socket.sent(), bytesOf({message}));
        Lines expected{channel.line("Send", message)};
        expected.insert(expected.end(), shortCounts.begin(), shortCounts.end());
        EXPECT_EQ(channel.logLines(), expected);
    }
}

TEST_F(ChannelSend, WaitsWhileTheOtherSendRunsAndGivesUpWhenTheConnectionIsLostMeanwhile) {
    for (const bool lost : {false, true}) {
        SCOPED_TRACE(lost ? "lost" : "other send ends");
        Connection each;
        testing::ChannelRig channel(each.socket);
        std::optional<FlagHold> other;
        holdSend(other, channel.flags);
        channel.sleeper.setHook([&](int, std::size_t call) {
            EXPECT_TRUE(each.socket.sent().empty()) << "sent while the other send ran";
            if (call == 3) {
                lost ? each.socket.drop() : other.reset();
            }
        });
        const LobbyMessage message = sampleRecord(6);
        channel.com.SendRecord(message);
        channel.sleeper.setHook({});
        const Lines log = channel.logLines();
        const auto waits = static_cast<std::size_t>(std::ranges::count(log, kNotReady));
        EXPECT_GE(waits, 1U);
        EXPECT_EQ(log.size(), waits + (lost ? 0 : 1));
        EXPECT_EQ(log.back(), lost ? kNotReady : sendLine(message));
        EXPECT_EQ(each.socket.sent(), lost ? std::vector<std::byte>{} : bytesOf({message}));
        EXPECT_EQ(each.socket.closeCalls(), lost ? 1 : 0);
        EXPECT_EQ(each.disconnects, lost ? 1 : 0);
        // The abandoned send never held the flag, so it did not give back the other's.
        EXPECT_EQ(channel.flags.sendready.load(), lost ? 0 : 1);
        other.reset();
    }
}

TEST_F(ChannelSend, ASendOverAnotherLobbySocketDoesNotMakeItWait) {
    ChannelFlags otherSocket;
    std::optional<FlagHold> other;
    holdSend(other, otherSocket);
    // Were the flags shared, the send would wait for this one; it ends the wait, not the test.
    rig.sleeper.setHook([&](int, std::size_t call) {
        if (call == 1) {
            other.reset();
        }
    });
    const LobbyMessage message = sampleRecord(6);
    rig.com.SendRecord(message);
    EXPECT_EQ(rig.logLines(), Lines{sendLine(message)});
}

TEST_F(Channel, ConnectionLostMidRecordDropsItAndTheNextConnectionSendsAndReceivesAtOnce) {
    const LobbyMessage message = sampleRecord(8);
    const std::vector<std::byte> whole = bytesOf({message});
    socket.scriptSends({200});
    socket.dropAfterSent(200);
    rig.com.SendRecord(message);
    EXPECT_EQ(socket.sent(), std::vector(whole.begin(), whole.begin() + 200));
    EXPECT_EQ(socket.closeCalls(), 1);
    EXPECT_EQ(connection.disconnects, 1);

    Connection receiving;  // the next connection loses the record it reads
    TCcom com(receiving.socket, rig.flags, rig.base, rig.sleeper);
    receiving.socket.feed(whole);
    receiving.socket.scriptReceives({100});
    receiving.socket.dropAfterReceived(100);
    com.ReceiveStep(keep);
    EXPECT_TRUE(dispatched.empty());
    EXPECT_EQ(receiving.socket.closeCalls(), 1);
    EXPECT_EQ(receiving.disconnects, 1);
    EXPECT_EQ(rig.logLines(),
              (Lines{sendLine(message), "send 200 bytes", "received 100 bytes, continue;"}));

    Connection next;  // both flags were given back
    TCcom nextCom(next.socket, rig.flags, rig.base, rig.sleeper);
    next.socket.feed(whole);
    nextCom.SendRecord(message);
    nextCom.ReceiveStep(keep);
    EXPECT_EQ(next.socket.sent(), whole);
    EXPECT_EQ(dispatched, Records{whole});
    EXPECT_EQ(rig.logLines().size(), 5U) << "the next connection waited";
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
    socket.setEvents({.onConnect = {},
                      .onRead = {},
                      .onDisconnect = [&] { com.reset(), helper.reset(); },
                      .onError = {}});
    socket.scriptSends({100});
    socket.dropAfterSent(100);
    com->SendRecord(sampleRecord(9));
    EXPECT_EQ(com, nullptr);
    EXPECT_EQ(socket.sent().size(), 100U);
}

TEST_F(ChannelReceive, ShortReadsAStepInsideTheDispatcherOrAFailingOneLeaveTheRestToLaterSteps) {
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
    EXPECT_EQ(
        rig.logLines(),
        (Lines{"received 100 bytes, continue;", "received -1 bytes, continue;",
               "received 276 bytes, continue;", recvLine(records[0]),
               "receive is not ready, continue", "dispatch failed: boom", recvLine(records[1]),
               "dispatch failed: unknown error", recvLine(records[2])}));
}

}  // namespace
}  // namespace ardentis::protocol
