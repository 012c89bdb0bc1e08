// The record channel over a scripted socket: every partial write, short read and lost
// connection exactly where the test wants it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/fake/scripted_socket.h"
#include "platform/file_append.h"
#include "protocol/channel_flags.h"
#include "protocol/connection_helpers.h"
#include "protocol/record_channel.h"
#include "protocol/record_text.h"
#include "protocol/traffic_log.h"
#include "tests/channel/channel_test_support.h"

namespace ardentis::protocol {
namespace {

using platform::ScriptedSocket;
using testing::bytesOf;
using testing::sameBytes;
using testing::sampleRecord;

constexpr platform::LocalTime kNow{2026, 1, 31, 20, 15, 7, 0};
const std::string kNotReady = "send is not ready ,waiting......";

std::string recordLine(const char* direction, const LobbyMessage& message) {
    return std::string("2026-01-31 20:15:07 ") + direction + " " + CommandText(message).bytes() +
           " " + RecordText(message).bytes();
}
std::string sendLine(const LobbyMessage& message) {
    return recordLine("Send", message);
}
std::string recvLine(const LobbyMessage& message) {
    return recordLine("Recv", message);
}

std::vector<std::byte> concat(const std::vector<LobbyMessage>& messages) {
    std::vector<std::byte> all;
    for (const LobbyMessage& message : messages) {
        const auto bytes = bytesOf(message);
        all.insert(all.end(), bytes.begin(), bytes.end());
    }
    return all;
}

class Channel : public ::testing::Test {
  protected:
    Channel() {
        platform::SocketEvents events;
        events.onDisconnect = [this] { ++disconnects; };
        socket.setEvents(events);
        socket.open("127.0.0.1", 8888);
        socket.completeConnect();
    }

    void TearDown() override {
        // Whatever happened, the next connection must find both flags free.
        EXPECT_EQ(flags.sendready.load(), 1);
        EXPECT_EQ(flags.recvready.load(), 1);
    }

    [[nodiscard]] std::vector<std::string> logLines() const {
        return testing::lines(testing::readFile(log.file()));
    }
    void feed(const std::vector<LobbyMessage>& messages) { socket.feed(concat(messages)); }

    testing::ScratchDirectory dir;
    testing::FixedClock clock{kNow};
    TrafficLog log{platform::appendFileAt(dir.path() / "ardentisclient.log"), clock};
    testing::RecordingInfoBox infoBox;
    TcBaseFunctions base{log, infoBox};
    ScriptedSocket socket;
    testing::RecordingSleeper sleeper;
    ChannelFlags flags;
    TCcom com{socket, flags, base, sleeper};
    std::vector<LobbyMessage> dispatched;
    TCcom::Dispatch keep = [this](const LobbyMessage& message) { dispatched.push_back(message); };
    int disconnects = 0;
};

// --- Send ---

using ChannelSend = Channel;

TEST_F(ChannelSend, SendsTheRecordWholeAfterTheSettleWait) {
    const LobbyMessage message = sampleRecord(1);
    com.SendRecord(message);
    EXPECT_EQ(socket.sent(), bytesOf(message));
    EXPECT_EQ(sleeper.waits(), (std::vector<int>{50, 1}));
    EXPECT_EQ(logLines(), std::vector<std::string>{sendLine(message)});
}

TEST_F(ChannelSend, LogsTheRecordBeforeTheFirstByteGoesOut) {
    const LobbyMessage message = sampleRecord(2);
    std::optional<std::vector<std::string>> linesAtFirstWrite;
    sleeper.setHook([&](int milliseconds, std::size_t) {
        if (milliseconds == 1 && !linesAtFirstWrite) {
            EXPECT_TRUE(socket.sent().empty());
            linesAtFirstWrite = logLines();
        }
    });
    com.SendRecord(message);
    ASSERT_TRUE(linesAtFirstWrite.has_value());
    EXPECT_EQ(*linesAtFirstWrite, std::vector<std::string>{sendLine(message)});
}

TEST_F(ChannelSend, PartThenWouldBlockThenTheRestLogsTheShortCountOnce) {
    const LobbyMessage message = sampleRecord(3);
    socket.scriptSends({200, ScriptedSocket::kBlock});
    com.SendRecord(message);
    EXPECT_EQ(socket.sent(), bytesOf(message));
    EXPECT_EQ(socket.sendResults(), (std::vector<int>{200, -1, 176}));
    EXPECT_EQ(logLines(), (std::vector<std::string>{sendLine(message), "send 200 bytes"}));
    EXPECT_EQ(sleeper.waits(), (std::vector<int>{50, 1, 1, 1}));
}

TEST_F(ChannelSend, RepeatedWouldBlockOnlyWaitsAndTriesAgain) {
    const LobbyMessage message = sampleRecord(4);
    socket.scriptSends({ScriptedSocket::kBlock, ScriptedSocket::kBlock, ScriptedSocket::kBlock});
    com.SendRecord(message);
    EXPECT_EQ(socket.sent(), bytesOf(message));
    EXPECT_EQ(logLines(), std::vector<std::string>{sendLine(message)});
    EXPECT_EQ(sleeper.waits(), (std::vector<int>{50, 1, 1, 1, 1}));
}

class ChannelSendFirstPart : public Channel, public ::testing::WithParamInterface<int> {};

TEST_P(ChannelSendFirstPart, LogsTheCountWhileTheRecordIsShort) {
    const int first = GetParam();
    const LobbyMessage message = sampleRecord(5);
    socket.scriptSends({first});
    com.SendRecord(message);
    EXPECT_EQ(socket.sent(), bytesOf(message));
    std::vector<std::string> expected{sendLine(message)};
    if (first < 376) {
        expected.push_back("send " + std::to_string(first) + " bytes");
    }
    EXPECT_EQ(logLines(), expected);
}

INSTANTIATE_TEST_SUITE_P(Boundaries, ChannelSendFirstPart, ::testing::Values(0, 1, 375, 376));

TEST_F(ChannelSend, WaitsInTenMillisecondStepsWhileTheOtherSendRuns) {
    std::optional<FlagHold> otherSender;
    otherSender.emplace(flags.sendready);
    ASSERT_TRUE(otherSender->tryTake());
    sleeper.setHook([&](int, std::size_t call) {
        if (call == 3) {
            otherSender.reset();  // the other thread's send ends during the third wait
        }
    });
    const LobbyMessage message = sampleRecord(6);
    com.SendRecord(message);
    EXPECT_EQ(socket.sent(), bytesOf(message));
    EXPECT_EQ(sleeper.waits(), (std::vector<int>{50, 10, 10, 10, 1}));
    EXPECT_EQ(logLines(),
              (std::vector<std::string>{kNotReady, kNotReady, kNotReady, sendLine(message)}));
}

TEST_F(ChannelSend, ASendOverAnotherLobbySocketDoesNotMakeItWait) {
    ChannelFlags otherSocket;
    std::optional<FlagHold> otherSender;
    otherSender.emplace(otherSocket.sendready);
    ASSERT_TRUE(otherSender->tryTake());
    // Were the flags shared, the send would wait for this one; it ends the wait, not the test.
    sleeper.setHook([&](int, std::size_t call) {
        if (call == 1) {
            otherSender.reset();
        }
    });
    com.SendRecord(sampleRecord(6));
    EXPECT_EQ(sleeper.waits(), (std::vector<int>{50, 1}));
}

TEST_F(ChannelSend, ConnectionLostWhileWaitingClosesTheSocketAndSendsNothing) {
    std::optional<FlagHold> otherSender;
    otherSender.emplace(flags.sendready);
    ASSERT_TRUE(otherSender->tryTake());
    sleeper.setHook([&](int, std::size_t call) {
        if (call == 2) {
            socket.drop();
        }
    });
    com.SendRecord(sampleRecord(7));
    EXPECT_TRUE(socket.sent().empty());
    EXPECT_EQ(socket.closeCalls(), 1);
    EXPECT_EQ(disconnects, 1);
    EXPECT_EQ(logLines(), std::vector<std::string>{kNotReady});
    // The abandoned send never held the flag, so it did not release the other sender's.
    EXPECT_EQ(flags.sendready.load(), 0);
    otherSender.reset();
}

TEST_F(ChannelSend, ConnectionLostMidRecordReleasesTheFlagForTheNextConnection) {
    const LobbyMessage message = sampleRecord(8);
    socket.scriptSends({200});
    socket.dropAfterSent(200);
    com.SendRecord(message);
    const auto all = bytesOf(message);
    EXPECT_EQ(socket.sent(), std::vector<std::byte>(all.begin(), all.begin() + 200));
    EXPECT_EQ(socket.closeCalls(), 1);
    EXPECT_EQ(disconnects, 1);
    EXPECT_EQ(logLines(), (std::vector<std::string>{sendLine(message), "send 200 bytes"}));
    EXPECT_EQ(flags.sendready.load(), 1);

    // The connection reset makes a new channel; its first send goes out without waiting.
    ScriptedSocket next;
    next.open("127.0.0.1", 8888);
    next.completeConnect();
    testing::RecordingSleeper nextSleeper;
    TCcom nextCom(next, flags, base, nextSleeper);
    nextCom.SendRecord(message);
    EXPECT_EQ(next.sent(), all);
    EXPECT_EQ(nextSleeper.waits(), (std::vector<int>{50, 1}));
}

TEST_F(ChannelSend, ACloseThatReplacesTheChannelEndsTheSendQuietly) {
    // The disconnect event resets the connection state, destroying the channel whose
    // send is still on the stack.
    auto replaceable = std::make_unique<TCcom>(socket, flags, base, sleeper);
    platform::SocketEvents events;
    events.onDisconnect = [&] { replaceable.reset(); };
    socket.setEvents(events);
    socket.scriptSends({100});
    socket.dropAfterSent(100);
    replaceable->SendRecord(sampleRecord(9));
    EXPECT_EQ(replaceable, nullptr);
    EXPECT_EQ(socket.sent().size(), 100U);
}

TEST_F(ChannelSend, TwoThreadsSendWholeRecordsOneAfterTheOther) {
    constexpr int kPerThread = 25;
    // Small parts and would-blocks give the other thread every chance to cut in.
    std::vector<int> steps;
    for (int i = 0; i < 2000; ++i) {
        steps.push_back(i % 7 == 3 ? ScriptedSocket::kBlock : 37 + i % 50);
    }
    socket.scriptSends(steps);

    const testing::TwoSenders senders = testing::sendFromTwoThreads(com, kPerThread);
    const std::vector<std::byte> sent = socket.sent();
    EXPECT_TRUE(testing::wholeAndInOrder(sent, senders));
}

// --- Receive ---

using ChannelReceive = Channel;

TEST_F(ChannelReceive, OneByteShortOfARecordReadsAndLogsNothing) {
    const LobbyMessage message = sampleRecord(10);
    const auto bytes = bytesOf(message);
    socket.feed(std::span(bytes).first(375));
    com.ReceiveStep(keep);
    EXPECT_TRUE(dispatched.empty());
    EXPECT_EQ(socket.bytesWaiting(), 375U);
    EXPECT_TRUE(logLines().empty());

    socket.feed(std::span(bytes).last(1));
    com.ReceiveStep(keep);
    ASSERT_EQ(dispatched.size(), 1U);
    EXPECT_TRUE(sameBytes(dispatched[0], message));
    EXPECT_EQ(socket.bytesWaiting(), 0U);
    EXPECT_EQ(logLines(), std::vector<std::string>{recvLine(message)});
}

TEST_F(ChannelReceive, TwoRecordsWaitingGiveOneRecordPerEvent) {
    const LobbyMessage first = sampleRecord(11);
    const LobbyMessage second = sampleRecord(12);
    feed({first, second});
    com.ReceiveStep(keep);
    ASSERT_EQ(dispatched.size(), 1U);
    EXPECT_TRUE(sameBytes(dispatched[0], first));
    EXPECT_EQ(socket.bytesWaiting(), kRecordSize);
    com.ReceiveStep(keep);
    ASSERT_EQ(dispatched.size(), 2U);
    EXPECT_TRUE(sameBytes(dispatched[1], second));
    EXPECT_EQ(logLines(), (std::vector<std::string>{recvLine(first), recvLine(second)}));
}

TEST_F(ChannelReceive, AShortReadIsLoggedAndTheStepReadsOnToAWholeRecord) {
    const LobbyMessage message = sampleRecord(13);
    feed({message});
    socket.scriptReceives({100});
    com.ReceiveStep(keep);
    ASSERT_EQ(dispatched.size(), 1U);
    EXPECT_TRUE(sameBytes(dispatched[0], message));
    // Every single read that was not a whole record is logged, the second one too.
    EXPECT_EQ(logLines(),
              (std::vector<std::string>{"received 100 bytes, continue;",
                                        "received 276 bytes, continue;", recvLine(message)}));
}

TEST_F(ChannelReceive, AReadThatWouldBlockAddsNothing) {
    const LobbyMessage message = sampleRecord(14);
    feed({message});
    socket.scriptReceives({ScriptedSocket::kBlock});
    com.ReceiveStep(keep);
    ASSERT_EQ(dispatched.size(), 1U);
    EXPECT_TRUE(sameBytes(dispatched[0], message));
    EXPECT_EQ(logLines(),
              (std::vector<std::string>{"received -1 bytes, continue;", recvLine(message)}));
}

TEST_F(ChannelReceive, ABusyStepLeavesTheRecordQueued) {
    feed({sampleRecord(15)});
    {
        FlagHold running(flags.recvready);
        ASSERT_TRUE(running.tryTake());
        com.ReceiveStep(keep);
    }
    EXPECT_TRUE(dispatched.empty());
    EXPECT_EQ(socket.bytesWaiting(), kRecordSize);
    EXPECT_EQ(logLines(), std::vector<std::string>{"receive is not ready, continue"});
}

TEST_F(ChannelReceive, AReadEventInsideTheDispatcherWaitsForTheOuterStep) {
    const LobbyMessage first = sampleRecord(16);
    const LobbyMessage second = sampleRecord(17);
    feed({first, second});
    // A modal box in the dispatcher lets the next read event in.
    const TCcom::Dispatch modal = [&](const LobbyMessage& message) {
        dispatched.push_back(message);
        if (dispatched.size() == 1) {
            com.ReceiveStep(keep);
        }
    };
    com.ReceiveStep(modal);
    ASSERT_EQ(dispatched.size(), 1U);
    EXPECT_EQ(socket.bytesWaiting(), kRecordSize);
    com.ReceiveStep(keep);
    ASSERT_EQ(dispatched.size(), 2U);
    EXPECT_TRUE(sameBytes(dispatched[1], second));
    EXPECT_EQ(logLines(),
              (std::vector<std::string>{recvLine(first), "receive is not ready, continue",
                                        recvLine(second)}));
}

TEST_F(ChannelReceive, ConnectionLostMidRecordDropsItAndReleasesTheFlag) {
    feed({sampleRecord(18)});
    socket.scriptReceives({100});
    socket.dropAfterReceived(100);
    com.ReceiveStep(keep);
    EXPECT_TRUE(dispatched.empty());
    EXPECT_EQ(socket.closeCalls(), 1);
    EXPECT_EQ(disconnects, 1);
    EXPECT_EQ(logLines(), std::vector<std::string>{"received 100 bytes, continue;"});
    EXPECT_EQ(flags.recvready.load(), 1);

    // The next connection's channel receives at once.
    ScriptedSocket next;
    next.open("127.0.0.1", 8888);
    next.completeConnect();
    const LobbyMessage message = sampleRecord(19);
    next.feed(bytesOf(message));
    TCcom nextCom(next, flags, base, sleeper);
    nextCom.ReceiveStep(keep);
    ASSERT_EQ(dispatched.size(), 1U);
    EXPECT_TRUE(sameBytes(dispatched[0], message));
}

TEST_F(ChannelReceive, AFailingDispatcherIsLoggedAndLaterRecordsStillArrive) {
    const LobbyMessage first = sampleRecord(20);
    const LobbyMessage second = sampleRecord(21);
    const LobbyMessage third = sampleRecord(22);
    feed({first, second, third});
    int calls = 0;
    const TCcom::Dispatch failing = [&](const LobbyMessage& message) {
        ++calls;
        if (calls == 1) {
            throw std::runtime_error("boom");
        }
        if (calls == 2) {
            throw 42;
        }
        dispatched.push_back(message);
    };
    com.ReceiveStep(failing);
    EXPECT_EQ(flags.recvready.load(), 1);
    com.ReceiveStep(failing);
    com.ReceiveStep(failing);
    ASSERT_EQ(dispatched.size(), 1U);
    EXPECT_TRUE(sameBytes(dispatched[0], third));
    EXPECT_EQ(logLines(),
              (std::vector<std::string>{recvLine(first), "dispatch failed: boom", recvLine(second),
                                        "dispatch failed: unknown error", recvLine(third)}));
}

TEST_F(ChannelReceive, TheDispatcherMayReplaceTheChannelAndItsHelper) {
    // A connection reset inside the dispatcher destroys the channel and the helper while
    // the receive step is still on the stack; the step must not touch them afterwards.
    auto helper = std::make_unique<TcBaseFunctions>(log, infoBox);
    auto replaceable = std::make_unique<TCcom>(socket, flags, *helper, sleeper);
    feed({sampleRecord(23)});
    replaceable->ReceiveStep([&](const LobbyMessage&) {
        replaceable.reset();
        helper.reset();
        throw std::runtime_error("reset");
    });
    EXPECT_EQ(replaceable, nullptr);
    EXPECT_EQ(logLines().back(), "dispatch failed: reset");
}

}  // namespace
}  // namespace ardentis::protocol
