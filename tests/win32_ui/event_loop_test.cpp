#include <windows.h>

#include <chrono>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

#include "platform/win32/win32_event_loop.h"
#include "platform/win32/winsock_client_socket.h"
#include "tests/channel/loopback_peer.h"
#include "tests/win32_ui/ui_test_support.h"

namespace ardentis::testing {
namespace {

using namespace std::chrono_literals;
using platform::Win32EventLoop;

// Waits are bounded by this; nothing measures time.
constexpr auto kLimit = 10s;

TEST(Win32EventLoopTimer, FiresRepeatedlyWhileEnabled) {
    Win32EventLoop loop;
    int ticks = 0;
    const auto timer = loop.createTimer(10, true, [&] { ++ticks; });

    EXPECT_TRUE(loop.runUntil([&] { return ticks >= 3; }, kLimit));
    EXPECT_TRUE(timer->enabled());
    EXPECT_EQ(timer->interval(), 10);
}

TEST(Win32EventLoopTimer, DisabledTimerStaysSilentWhileAnotherTicks) {
    Win32EventLoop loop;
    int silentTicks = 0;
    int ticks = 0;
    const auto silent = loop.createTimer(10, false, [&] { ++silentTicks; });
    const auto other = loop.createTimer(15, true, [&] { ++ticks; });

    ASSERT_TRUE(loop.runUntil([&] { return ticks >= 5; }, kLimit));

    EXPECT_EQ(silentTicks, 0);
    EXPECT_FALSE(silent->enabled());
}

TEST(Win32EventLoopTimer, TimerStoppedInItsHandlerFiresNoMore) {
    Win32EventLoop loop;
    int stoppedTicks = 0;
    int ticks = 0;
    std::unique_ptr<platform::Timer> stopped;
    stopped = loop.createTimer(10, true, [&] {
        ++stoppedTicks;
        stopped->setEnabled(false);
    });
    const auto other = loop.createTimer(15, true, [&] { ++ticks; });

    ASSERT_TRUE(loop.runUntil([&] { return ticks >= 5; }, kLimit));

    EXPECT_EQ(stoppedTicks, 1);
}

TEST(Win32EventLoopTimer, TimerDestroyedInItsHandlerFiresNoMore) {
    Win32EventLoop loop;
    int destroyedTicks = 0;
    int ticks = 0;
    std::unique_ptr<platform::Timer> destroyed;
    destroyed = loop.createTimer(10, true, [&] {
        ++destroyedTicks;
        destroyed.reset();  // as the splash frees itself
    });
    const auto other = loop.createTimer(15, true, [&] { ++ticks; });

    ASSERT_TRUE(loop.runUntil([&] { return ticks >= 5; }, kLimit));

    EXPECT_EQ(destroyedTicks, 1);
    EXPECT_EQ(destroyed, nullptr);
}

TEST(Win32EventLoopTimer, ReenabledTimerFiresAgain) {
    Win32EventLoop loop;
    int ticks = 0;
    const auto timer = loop.createTimer(10, false, [&] { ++ticks; });

    timer->setEnabled(true);
    ASSERT_TRUE(loop.runUntil([&] { return ticks >= 1; }, kLimit));
    timer->setEnabled(false);
    timer->setInterval(20);
    timer->setEnabled(true);

    EXPECT_TRUE(loop.runUntil([&] { return ticks >= 2; }, kLimit));
    EXPECT_EQ(timer->interval(), 20);
}

TEST(Win32EventLoopPost, WorkFromAnotherThreadRunsOnTheLoopThreadInOrder) {
    Win32EventLoop loop;
    const auto loopThread = std::this_thread::get_id();
    std::vector<int> order;
    bool allOnLoopThread = true;
    std::thread poster([&] {
        for (int i = 0; i < 100; ++i) {
            loop.post([&, i] {
                order.push_back(i);
                allOnLoopThread = allOnLoopThread && std::this_thread::get_id() == loopThread;
            });
        }
    });
    poster.join();

    ASSERT_TRUE(loop.runUntil([&] { return order.size() == 100; }, kLimit));

    EXPECT_TRUE(allOnLoopThread);
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(order[static_cast<std::size_t>(i)], i);
    }
}

TEST(Win32EventLoopPost, WorkPostedByWorkRunsAfterIt) {
    Win32EventLoop loop;
    std::vector<int> order;
    loop.post([&] {
        loop.post([&] { order.push_back(2); });
        order.push_back(1);
    });

    ASSERT_TRUE(loop.runUntil([&] { return order.size() == 2; }, kLimit));

    EXPECT_EQ(order, (std::vector<int>{1, 2}));
}

TEST(Win32EventLoopPost, ThrowingWorkReachesThePumpAndTheRestStillRuns) {
    Win32EventLoop loop;
    bool later = false;
    loop.post([] { throw std::runtime_error("posted work failed"); });
    loop.post([&] { later = true; });

    EXPECT_THROW((void)loop.runUntil([] { return false; }, kLimit), std::runtime_error);
    EXPECT_TRUE(loop.runUntil([&] { return later; }, kLimit));
}

TEST(Win32EventLoopRun, RunReturnsTheQuitCode) {
    Win32EventLoop loop;
    loop.post([] { Win32EventLoop::quit(7); });

    EXPECT_EQ(loop.run(), 7);
}

TEST(Win32EventLoopRun, QuitMetWhilePumpingIsLeftForTheOuterLoop) {
    Win32EventLoop loop;
    loop.post([] { Win32EventLoop::quit(3); });

    EXPECT_FALSE(loop.runUntil([] { return false; }, kLimit));
    EXPECT_EQ(loop.run(), 3);
}

TEST(Win32EventLoopRun, PumpGivesUpAtItsLimit) {
    Win32EventLoop loop;

    EXPECT_FALSE(loop.runUntil([] { return false; }, 30ms));
}

TEST(Win32EventLoopRun, PumpRaisesTheThreadsSocketEvents) {
    Win32EventLoop loop;
    LoopbackPeer peer;
    platform::WinsockClientSocket socket;
    bool connected = false;
    bool readable = false;
    platform::SocketEvents events;
    events.onConnect = [&] { connected = true; };
    events.onRead = [&] { readable = true; };
    socket.setEvents(events);

    socket.open("127.0.0.1", peer.port());
    ASSERT_TRUE(peer.accept());
    ASSERT_TRUE(loop.runUntil([&] { return connected; }, kLimit));
    const std::byte hello[] = {std::byte{'h'}, std::byte{'i'}};
    peer.send(hello);

    EXPECT_TRUE(loop.runUntil([&] { return readable; }, kLimit));
}

}  // namespace
}  // namespace ardentis::testing
