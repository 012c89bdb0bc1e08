// Chat lines typed on the headless client, the workers that send them, and alert sounds.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "headless_fixture.h"

namespace ardentis::forms::testing {
namespace {

using text::Gbk;

class ChatInput : public HeadlessFixture {};

TEST_F(ChatInput, LobbyEnterSendsTheCompletedLinesInOrderCutToTheField) {
    MemoryMemo& input = headless_.main.MemSend;
    startAndConnect();
    (void)sentRecords();
    input.typeLine(Gbk("too early"));  // before the log-in is answered
    EXPECT_TRUE(sentRecords().empty());
    acceptLogin();
    input.pressEnter();             // an empty line
    for (int i = 0; i < 20; ++i) {  // each worker waits for the one before it
        input.typeLine(Gbk("line " + std::to_string(i)));
    }
    input.typeLine(Gbk(std::string(120, 'x')));
    const auto sent = sentRecords();
    ASSERT_EQ(sent.size(), 21U);
    for (std::size_t i = 0; i < 20; ++i) {
        EXPECT_EQ(kinds({sent[i]}), (Kinds{{1, 0}}));
        EXPECT_EQ(sent[i].sparam1.text(), Gbk("alice>>line " + std::to_string(i)));
    }
    EXPECT_EQ(sent[20].sparam1.text(), Gbk("alice>>" + std::string(93, 'x')));
    EXPECT_EQ(input.line(0), Gbk("too early"));
}

TEST_F(ChatInput, RoomEnterSendsARoomChatRecordOnlyInARoom) {
    MemoryMemo& input = headless_.battleroom.MemSend;
    logIn();
    input.typeLine(Gbk("nobody hears"));
    EXPECT_TRUE(sentRecords().empty());
    const protocol::RoomRecord room = joinRoom(Gbk("bob"));
    input.pressEnter();
    input.typeLine(Gbk("gg"));
    const auto sent = sentRecords();
    ASSERT_EQ(kinds(sent), (Kinds{{4, 5}}));
    EXPECT_EQ(sent[0].sparam1.text(), Gbk("alice>>gg"));
    EXPECT_EQ(sent[0].sparam2.text(), room.roomno.gbk());
    EXPECT_EQ(sent[0].sparam3.text(), Gbk("alice"));
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

struct Alert {
    const char* line;
    std::vector<std::string> sounds;
};

class AlertSounds : public HeadlessFixture, public ::testing::WithParamInterface<Alert> {};

TEST_P(AlertSounds, MarksInAnyCasePlayTheirSoundsAndNoneIsCut) {
    logIn();
    const protocol::RoomRecord room = joinRoom(Gbk("bob"));
    receive(roomChat(room.roomno, Gbk(GetParam().line), Gbk("bob")));
    client_.workers.waitAll();
    EXPECT_EQ(machine_.sound.played(), GetParam().sounds);
    EXPECT_TRUE(machine_.sound.cut().empty()) << "a sound was cut off by the next";
}

INSTANTIATE_TEST_SUITE_P(Lines, AlertSounds,
                         ::testing::Values(Alert{"bob>>wake up !bb", {"BB"}},
                                           Alert{"bob>>!BB and !WARNING", {"BB", "WARNING"}},
                                           Alert{"bob>>!Warning", {"WARNING"}},
                                           Alert{"bob>>bb warning !b b", {}}));

}  // namespace
}  // namespace ardentis::forms::testing
