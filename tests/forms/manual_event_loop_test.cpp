#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/fake/manual_event_loop.h"

namespace ardentis::platform {
namespace {

using std::chrono::milliseconds;

TEST(ManualEventLoop, TimersFireInDueOrderEnablingRestartsTheIntervalPostsRunOnTheLoop) {
    ManualEventLoop loop;
    std::vector<std::string> fired;
    const auto note = [&](const char* name) {
        return [&, name] { fired.push_back(name + std::to_string(loop.now().count())); };
    };
    auto fast = loop.createTimer(10, true, note("a@"));
    auto slow = loop.createTimer(25, true, note("b@"));
    auto off = loop.createTimer(20, false, note("c@"));
    loop.advance(milliseconds(30));
    EXPECT_EQ(fired, (std::vector<std::string>{"a@10", "a@20", "b@25", "a@30"}));
    fast.reset();
    slow->setEnabled(false);
    off->setEnabled(true);
    fired.clear();
    loop.advance(milliseconds(49));
    EXPECT_EQ(fired, (std::vector<std::string>{"c@50", "c@70"}));
    // Work posted from another thread runs on the loop's thread.
    std::thread::id ranOn;
    std::thread worker([&] { loop.post([&] { ranOn = std::this_thread::get_id(); }); });
    worker.join();
    EXPECT_EQ(loop.runPosted(), 1);
    EXPECT_EQ(ranOn, std::this_thread::get_id());
}

}  // namespace
}  // namespace ardentis::platform
