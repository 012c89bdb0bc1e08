#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "protocol/lobby_message.h"
#include "protocol/record_channel.h"
#include "tests/support/doubles.h"
#include "tests/support/scratch_directory.h"
#include "text/gbk.h"

namespace ardentis::testing {

// A record whose every field is set from `seed`, so that records differ everywhere.
[[nodiscard]] protocol::LobbyMessage sampleRecord(int seed);
[[nodiscard]] std::vector<std::byte> bytesOf(const protocol::LobbyMessage& message);
[[nodiscard]] bool sameBytes(const protocol::LobbyMessage& a, const protocol::LobbyMessage& b);

// The records the window thread and a chat worker thread each sent, in their order.
struct TwoSenders {
    std::vector<protocol::LobbyMessage> window;
    std::vector<protocol::LobbyMessage> worker;
};
// Sends `perThread` distinct records from this thread and as many from a second one, at once.
TwoSenders sendFromTwoThreads(protocol::TCcom& com, int perThread);
// Whether the bytes are exactly both threads' records, each one whole and each thread's in
// the order it sent them.
[[nodiscard]] ::testing::AssertionResult wholeAndInOrder(std::span<const std::byte> bytes,
                                                         const TwoSenders& senders);

}  // namespace ardentis::testing
