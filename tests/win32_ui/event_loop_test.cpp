#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/clock.h"
#include "platform/file_append.h"
#include "platform/sleeper.h"
#include "platform/win32/win32_event_loop.h"
#include "platform/win32/winsock_client_socket.h"
#include "protocol/channel_flags.h"
#include "protocol/connection_helpers.h"
#include "protocol/record_channel.h"
#include "protocol/traffic_log.h"
#include "tests/support/loopback_peer.h"
#include "tests/support/scratch_directory.h"
#include "tests/win32_ui/ui_test_support.h"
#include "ui/win32/win32_info_box.h"

namespace ardentis::testing {
namespace {

using namespace std::chrono_literals;
using platform::Win32EventLoop;

// Waits are bounded by this; nothing measures time.
constexpr auto kLimit = 10s;

TEST(Win32EventLoop, TimersStopWhenToldPostsRunInOrderOnTheLoopThreadAndFailuresReachThePump) {
    Win32EventLoop loop;
    int silentTicks = 0;
    int stoppedTicks = 0;
    int ticks = 0;
    const auto silent = loop.createTimer(10, false, [&] { ++silentTicks; });
    std::unique_ptr<platform::Timer> stopped;
    stopped = loop.createTimer(10, true, [&] {
        ++stoppedTicks;
        stopped->setEnabled(false);
    });
    const auto other = loop.createTimer(15, true, [&] { ++ticks; });
    ASSERT_TRUE(loop.runUntil([&] { return ticks >= 5; }, kLimit));
    EXPECT_EQ(silentTicks, 0) << "created disabled";
    EXPECT_EQ(stoppedTicks, 1) << "disabled in its handler";

    const auto loopThread = std::this_thread::get_id();
    std::vector<int> order;
    bool allOnLoopThread = true;
    std::thread([&] {
        for (int i = 0; i < 100; ++i) {
            loop.post([&, i] {
                order.push_back(i);
                allOnLoopThread = allOnLoopThread && std::this_thread::get_id() == loopThread;
            });
        }
    }).join();
    ASSERT_TRUE(loop.runUntil([&] { return order.size() == 100; }, kLimit));
    EXPECT_TRUE(allOnLoopThread);
    EXPECT_TRUE(std::ranges::is_sorted(order));

    bool later = false;
    loop.post([] { throw std::runtime_error("posted work failed"); });
    loop.post([&] { later = true; });
    EXPECT_THROW((void)loop.runUntil([] { return false; }, kLimit), std::runtime_error);
    EXPECT_TRUE(loop.runUntil([&] { return later; }, kLimit)) << "the rest still runs";
    // A quit met while pumping is left for the outer loop.
    loop.post([] { Win32EventLoop::quit(3); });
    EXPECT_FALSE(loop.runUntil([] { return false; }, kLimit));
    EXPECT_EQ(loop.run(), 3);
}

// The dispatcher's box is up for a while inside a read event (a refused log-in) while the
// server goes on sending: the rest waits in the socket, and the box's loop stays idle.
TEST(Win32EventLoopRun, RecordsArrivingUnderABoxFromAReadEventWaitUntilItCloses) {
    Win32EventLoop loop;
    LoopbackPeer peer;
    platform::WinsockClientSocket socket;
    const platform::SystemClock clock;
    const ScratchDirectory scratch;
    const protocol::TrafficLog log(platform::appendFileAt(scratch / "box.log"), clock);
    win32::Win32InfoBox box;
    const protocol::TcBaseFunctions base(log, box);
    platform::ThreadSleeper sleeper;
    protocol::ChannelFlags flags;
    protocol::TCcom com(socket, flags, base, sleeper);

    std::vector<protocol::LobbyMessage> received;
    bool boxUp = false;
    int readsWhileBoxUp = 0;
    std::chrono::nanoseconds boxCpu{};
    std::chrono::nanoseconds boxWall{};
    const auto dispatch = [&](const protocol::LobbyMessage& message) {
        received.push_back(message);
        if (received.size() == 1) {
            boxUp = true;
            const auto cpuBefore = threadCpuTime();
            const auto wallBefore = std::chrono::steady_clock::now();
            base.ShowInfo(g("帐号密码不对，登录失败!"));
            boxCpu = threadCpuTime() - cpuBefore;
            boxWall = std::chrono::steady_clock::now() - wallBefore;
            boxUp = false;
        }
    };
    bool connected = false;
    platform::SocketEvents events;
    events.onConnect = [&] { connected = true; };
    events.onRead = [&] {
        readsWhileBoxUp += boxUp ? 1 : 0;
        com.ReceiveStep(dispatch);
    };
    socket.setEvents(events);
    socket.open("127.0.0.1", peer.port());
    ASSERT_TRUE(peer.accept());
    ASSERT_TRUE(loop.runUntil([&] { return connected; }, kLimit));

    std::vector<protocol::LobbyMessage> sent;
    std::vector<std::byte> all;
    for (int number = 1; number <= 4; ++number) {
        protocol::LobbyMessage message{};
        message.setKind(1, 0);
        message.sparam1.set("line " + std::to_string(number));
        sent.push_back(message);
        const auto bytes = message.toBytes();
        all.insert(all.end(), bytes.begin(), bytes.end());
    }
    const std::span<const std::byte> stream(all);
    constexpr std::size_t kRecord = protocol::kRecordSize;
    peer.send(stream.first(kRecord));
    // The server and the user: two whole records and half of one while the box is up,
    // then OK, then the other half.
    const DWORD windowThread = GetCurrentThreadId();
    std::atomic<bool> boxSeen = false;
    std::thread server([&] {
        HWND shown = nullptr;
        for (int tries = 0; shown == nullptr && tries < 500; ++tries) {
            std::this_thread::sleep_for(10ms);
            shown = findShown(windowThread, L"Ardentis");
        }
        if (shown == nullptr) {
            return;
        }
        boxSeen = true;
        peer.send(stream.subspan(kRecord, 2 * kRecord));
        std::this_thread::sleep_for(300ms);
        peer.send(stream.subspan(3 * kRecord, kRecord / 2));
        std::this_thread::sleep_for(1500ms);
        PostMessageW(shown, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        std::this_thread::sleep_for(200ms);
        peer.send(stream.subspan(3 * kRecord + kRecord / 2));
    });
    const bool whole = loop.runUntil([&] { return received.size() == sent.size(); }, kLimit);
    server.join();

    ASSERT_TRUE(boxSeen);
    ASSERT_TRUE(whole);
    for (std::size_t index = 0; index < sent.size(); ++index) {
        EXPECT_TRUE(received[index].toBytes() == sent[index].toBytes()) << "record " << index;
    }
    // One read event is let in by the box's loop and refused; nothing is raised again.
    EXPECT_LE(readsWhileBoxUp, 1);
    // A window thread that keeps looking at the socket uses the whole time.
    EXPECT_GE(boxWall, 1500ms);
    EXPECT_LT(boxCpu * 5, boxWall);
}

}  // namespace
}  // namespace ardentis::testing
