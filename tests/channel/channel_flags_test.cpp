#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

#include "protocol/channel_flags.h"

namespace ardentis::protocol {
namespace {

TEST(FlagHold, TakesOnlyAFreeFlagAndGivesItBack) {
    ChannelFlags flags;
    ASSERT_EQ(flags.sendready.load(), 1);
    {
        FlagHold first(flags.sendready);
        EXPECT_TRUE(first.tryTake());
        EXPECT_EQ(flags.sendready.load(), 0);
        {
            FlagHold second(flags.sendready);
            EXPECT_FALSE(second.tryTake());
        }
        // A hold that never took the flag does not give back someone else's.
        EXPECT_EQ(flags.sendready.load(), 0);
    }
    EXPECT_EQ(flags.sendready.load(), 1);
}

TEST(FlagHold, GivesTheFlagBackWhenItsScopeUnwinds) {
    ChannelFlags flags;
    EXPECT_THROW(
        {
            FlagHold hold(flags.recvready);
            ASSERT_TRUE(hold.tryTake());
            throw std::runtime_error("dispatcher failed");
        },
        std::runtime_error);
    EXPECT_EQ(flags.recvready.load(), 1);
}

TEST(FlagHold, TheTwoFlagsAreIndependent) {
    ChannelFlags flags;
    FlagHold sending(flags.sendready);
    ASSERT_TRUE(sending.tryTake());
    FlagHold receiving(flags.recvready);
    EXPECT_TRUE(receiving.tryTake());
}

TEST(FlagHold, OnlyOneThreadAtATimeHoldsTheSendFlag) {
    ChannelFlags flags;
    constexpr int kThreads = 4;
    constexpr int kRounds = 20000;
    std::atomic<int> inside{0};
    std::atomic<int> overlaps{0};
    std::atomic<int> taken{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&] {
            for (int round = 0; round < kRounds; ++round) {
                FlagHold hold(flags.sendready);
                while (!hold.tryTake()) {
                    std::this_thread::yield();
                }
                if (inside.fetch_add(1) != 0) {
                    overlaps.fetch_add(1);
                }
                taken.fetch_add(1);
                inside.fetch_sub(1);
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(overlaps.load(), 0);
    EXPECT_EQ(taken.load(), kThreads * kRounds);
    EXPECT_EQ(flags.sendready.load(), 1);
}

}  // namespace
}  // namespace ardentis::protocol
