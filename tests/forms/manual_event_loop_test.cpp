#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/fake/manual_event_loop.h"

namespace ardentis::platform {
namespace {

using std::chrono::milliseconds;

TEST(ManualEventLoop, TimersFireInDueOrderAsTheClockAdvances) {
    ManualEventLoop loop;
    std::vector<std::string> fired;
    auto fast = loop.createTimer(
        10, true, [&] { fired.push_back("10@" + std::to_string(loop.now().count())); });
    auto slow = loop.createTimer(
        25, true, [&] { fired.push_back("25@" + std::to_string(loop.now().count())); });
    loop.advance(milliseconds(30));
    EXPECT_EQ(fired, (std::vector<std::string>{"10@10", "10@20", "25@25", "10@30"}));
}

TEST(ManualEventLoop, ADisabledOrDestroyedTimerStaysQuietAndEnablingRestartsTheInterval) {
    ManualEventLoop loop;
    int ticks = 0;
    auto timer = loop.createTimer(2000, false, [&] { ++ticks; });
    loop.advance(milliseconds(5000));
    EXPECT_EQ(ticks, 0);
    timer->setEnabled(true);
    loop.advance(milliseconds(1999));
    EXPECT_EQ(ticks, 0);
    loop.advance(milliseconds(1));
    EXPECT_EQ(ticks, 1);
    timer.reset();
    loop.advance(milliseconds(10000));
    EXPECT_EQ(ticks, 1);
}

TEST(ManualEventLoop, ATimerMayDestroyItselfFromItsOwnHandler) {
    ManualEventLoop loop;
    int ticks = 0;
    std::unique_ptr<Timer> timer;
    timer = loop.createTimer(100, true, [&] {
        ++ticks;
        timer.reset();
    });
    loop.advance(milliseconds(1000));
    EXPECT_EQ(ticks, 1);
}

TEST(ManualEventLoop, WorkPostedFromAnotherThreadRunsOnTheLoopThread) {
    ManualEventLoop loop;
    std::thread::id ranOn;
    std::thread worker([&] { loop.post([&] { ranOn = std::this_thread::get_id(); }); });
    worker.join();
    EXPECT_EQ(loop.runPosted(), 1);
    EXPECT_EQ(ranOn, std::this_thread::get_id());
}

}  // namespace
}  // namespace ardentis::platform
