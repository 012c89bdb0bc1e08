#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "headless_fixture.h"

namespace ardentis::forms::testing {
namespace {

using protocol::RoomRecord;
using text::Gbk;
using text::zh;

class LobbyChatInput : public HeadlessFixture {
  protected:
    MemoryMemo& input = headless_.main.MemSend;
};

TEST_F(LobbyChatInput, EnterSendsTheLineJustCompletedAndKeepsIt) {
    logIn();
    input.typeLine(Gbk("hello all"));
    const auto sent = sentRecords();
    ASSERT_EQ(kinds(sent), (Kinds{{1, 0}}));
    EXPECT_EQ(sent[0].sparam1.text(), Gbk("alice>>hello all"));
    EXPECT_EQ(input.line(0), Gbk("hello all"));
}

TEST_F(LobbyChatInput, EnterOnAnEmptyLineSendsNothing) {
    logIn();
    input.pressEnter();
    input.typeLine(Gbk("x"));
    input.pressEnter();
    EXPECT_EQ(kinds(sentRecords()), (Kinds{{1, 0}}));
}

TEST_F(LobbyChatInput, EnterBeforeLogInSendsNothing) {
    startAndConnect();
    (void)sentRecords();  // the log-in record
    input.typeLine(Gbk("too early"));
    EXPECT_TRUE(sentRecords().empty());
}

TEST_F(LobbyChatInput, EntersInQuickSuccessionSendTheirRecordsInTheOrderTyped) {
    logIn();
    // No pause between the lines: each worker still waits for the one before it.
    for (int i = 0; i < 20; ++i) {
        input.typeLine(Gbk("line " + std::to_string(i)));
    }
    const auto sent = sentRecords();
    ASSERT_EQ(sent.size(), 20U);
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(sent[static_cast<std::size_t>(i)].sparam1.text(),
                  Gbk("alice>>line " + std::to_string(i)));
    }
}

TEST_F(LobbyChatInput, LongLineIsCutToTheFieldWithItsPrefix) {
    logIn();
    input.typeLine(Gbk(std::string(120, 'x')));
    const auto sent = sentRecords();
    ASSERT_EQ(sent.size(), 1U);
    EXPECT_EQ(sent[0].sparam1.text(), Gbk("alice>>" + std::string(93, 'x')));
}

class RoomChatInput : public HeadlessFixture {
  protected:
    MemoryMemo& input = headless_.battleroom.MemSend;
};

TEST_F(RoomChatInput, EnterSendsARoomChatRecordForTheCurrentRoom) {
    logIn();
    const RoomRecord room = joinRoom(Gbk("bob"));
    input.typeLine(Gbk("gg"));
    const auto sent = sentRecords();
    ASSERT_EQ(kinds(sent), (Kinds{{4, 5}}));
    EXPECT_EQ(sent[0].sparam1.text(), Gbk("alice>>gg"));
    EXPECT_EQ(sent[0].sparam2.text(), room.roomno.gbk());
    EXPECT_EQ(sent[0].sparam3.text(), Gbk("alice"));
}

TEST_F(RoomChatInput, EnterOnAnEmptyLineOrOutsideARoomSendsNothing) {
    logIn();
    input.typeLine(Gbk("nobody hears"));
    EXPECT_TRUE(sentRecords().empty());
    (void)joinRoom(Gbk("bob"));
    input.pressEnter();
    EXPECT_TRUE(sentRecords().empty());
}

TEST(ChatWorkers, AThreadThatCannotStartHoldsNoTurnForLaterLines) {
    int starts = 0;
    TClientDataThread workers([&starts](std::function<void()> body) {
        if (++starts == 1) {
            throw std::system_error(
                std::make_error_code(std::errc::resource_unavailable_try_again));
        }
        return std::thread(std::move(body));
    });
    std::promise<void> ran;
    EXPECT_FALSE(workers.start([] {}, TClientDataThread::Order::InTurn));
    ASSERT_TRUE(workers.start([&ran] { ran.set_value(); }, TClientDataThread::Order::InTurn));
    EXPECT_EQ(ran.get_future().wait_for(std::chrono::seconds(10)), std::future_status::ready)
        << "the next line waited for a worker that never started";
}

class AlertSounds : public HeadlessFixture {
  protected:
    std::vector<std::string> playedAfter(const Gbk& line) {
        logIn();
        const RoomRecord room = joinRoom(Gbk("bob"));
        receive(roomChat(room.roomno, line, Gbk("bob")));
        client_.workers.waitAll();
        EXPECT_TRUE(machine_.sound.cut().empty()) << "a sound was cut off by the next";
        return machine_.sound.played();
    }
};

TEST_F(AlertSounds, LowerCaseMarkPlaysBb) {
    EXPECT_EQ(playedAfter(Gbk("bob>>wake up !bb")), (std::vector<std::string>{"BB"}));
}

TEST_F(AlertSounds, BothMarksInOneLinePlayBothSounds) {
    EXPECT_EQ(playedAfter(Gbk("bob>>!BB and !WARNING")),
              (std::vector<std::string>{"BB", "WARNING"}));
}

TEST_F(AlertSounds, MixedCaseWarningMarkPlays) {
    EXPECT_EQ(playedAfter(Gbk("bob>>!Warning")), (std::vector<std::string>{"WARNING"}));
}

TEST_F(AlertSounds, LineWithoutMarksPlaysNothing) {
    EXPECT_TRUE(playedAfter(Gbk("bob>>bb warning !b b")).empty());
}

}  // namespace
}  // namespace ardentis::forms::testing
