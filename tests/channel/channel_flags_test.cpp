// The send flag under threads, and the read gate that keeps a busy handler's loop idle; the
// rest of both shows through the channel and socket suites.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/read_gate.h"
#include "protocol/channel_flags.h"

namespace ardentis {
namespace {

using protocol::FlagHold;
using After = platform::ReadGate::After;

TEST(FlagHold, OnlyOneThreadAtATimeHoldsTheSendFlag) {
    protocol::ChannelFlags flags;
    std::atomic<int> inside{0};
    std::atomic<int> overlaps{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int round = 0; round < 20000; ++round) {
                FlagHold hold(flags.sendready);
                while (!hold.tryTake()) {
                    std::this_thread::yield();
                }
                overlaps += inside.fetch_add(1) != 0;
                inside.fetch_sub(1);
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(overlaps.load(), 0);
    EXPECT_EQ(flags.sendready.load(), 1);
}

TEST(ReadGate, AnEventSwallowedByABusyHandlerHoldsTheRestBackAndIsRaisedAgainAfterIt) {
    platform::ReadGate gate;
    gate.beginEvent(752);
    gate.noteReceive();    // the outer step takes its record ...
    gate.beginEvent(376);  // ... and its modal box lets the next event in, which is refused
    EXPECT_EQ(gate.endEvent(), After::Held);
    // Nothing is due while the box is up, however much arrives: its loop must not spin.
    EXPECT_TRUE(gate.held());
    EXPECT_FALSE(gate.due(1128));
    EXPECT_EQ(gate.endEvent(), After::RaiseAgain);
    EXPECT_FALSE(gate.held());
    EXPECT_TRUE(gate.due(376));
    // A nested event that takes bytes holds nothing back.
    gate.beginEvent(752);
    gate.beginEvent(752);
    gate.noteReceive();
    EXPECT_EQ(gate.endEvent(), After::Nothing);
    EXPECT_TRUE(gate.due(376));
    EXPECT_EQ(gate.endEvent(), After::RaiseAgain);
    gate.beginEvent(376);  // once looked at again, the gate behaves as before
    gate.noteReceive();
    EXPECT_EQ(gate.endEvent(), After::Nothing);
}

}  // namespace
}  // namespace ardentis
