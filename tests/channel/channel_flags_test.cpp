// The send flag's exclusion under threads; the rest of the flags and the read gate show
// through the channel and socket suites.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "protocol/channel_flags.h"

namespace ardentis {
namespace {

using protocol::FlagHold;

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

}  // namespace
}  // namespace ardentis
