#include "tests/channel/channel_test_support.h"

#include <thread>

namespace ardentis::testing {

protocol::LobbyMessage sampleRecord(int seed) {
    protocol::LobbyMessage message{};
    message.setKind(static_cast<std::uint8_t>(seed % 5), static_cast<std::int8_t>(seed % 21));
    const std::string tag = "r" + std::to_string(seed);
    message.sparam1.set(tag + " first field");
    message.sparam2.set(tag + " second");
    message.sparam3.set(tag);
    message.sparam9.set(tag + "-9");
    message.iparam1.set(seed * 1000 + 7);
    message.iparam4.set(-seed);
    message.iparam11.set(static_cast<std::int8_t>(seed % 100));
    message.roomnettype.set(static_cast<std::int8_t>(seed % 3));
    return message;
}

std::vector<std::byte> bytesOf(const protocol::LobbyMessage& message) {
    const auto bytes = message.toBytes();
    return {bytes.begin(), bytes.end()};
}

bool sameBytes(const protocol::LobbyMessage& a, const protocol::LobbyMessage& b) {
    return a.toBytes() == b.toBytes();
}

TwoSenders sendFromTwoThreads(protocol::TCcom& com, int perThread) {
    TwoSenders senders;
    for (int i = 0; i < perThread; ++i) {
        senders.window.push_back(sampleRecord(100 + i));
        senders.worker.push_back(sampleRecord(200 + i));
    }
    std::thread chat([&] {
        for (const protocol::LobbyMessage& message : senders.worker) {
            com.SendRecord(message);
        }
    });
    for (const protocol::LobbyMessage& message : senders.window) {
        com.SendRecord(message);
    }
    chat.join();
    return senders;
}

::testing::AssertionResult wholeAndInOrder(std::span<const std::byte> bytes,
                                           const TwoSenders& senders) {
    constexpr std::size_t kSize = protocol::kRecordSize;
    const std::size_t expected = (senders.window.size() + senders.worker.size()) * kSize;
    if (bytes.size() != expected) {
        return ::testing::AssertionFailure() << bytes.size() << " bytes instead of " << expected;
    }
    std::size_t nextWindow = 0;
    std::size_t nextWorker = 0;
    for (std::size_t offset = 0; offset < bytes.size(); offset += kSize) {
        const auto record = protocol::LobbyMessage::fromBytes(bytes.subspan(offset, kSize));
        if (nextWindow < senders.window.size() && sameBytes(*record, senders.window[nextWindow])) {
            ++nextWindow;
        } else if (nextWorker < senders.worker.size() &&
                   sameBytes(*record, senders.worker[nextWorker])) {
            ++nextWorker;
        } else {
            return ::testing::AssertionFailure()
                   << "bytes at offset " << offset
                   << " are not the next whole record of either thread";
        }
    }
    return ::testing::AssertionSuccess();
}

}  // namespace ardentis::testing
