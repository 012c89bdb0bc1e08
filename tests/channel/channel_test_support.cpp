#include "tests/channel/channel_test_support.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <system_error>
#include <thread>

namespace ardentis::testing {

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    std::random_device random;
    path_ = std::filesystem::temp_directory_path() /
            ("ardentis-channel-" + std::to_string(stamp) + "-" + std::to_string(random()) + "-" +
             std::to_string(counter++));
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void RecordingSleeper::sleepMs(int milliseconds) {
    std::size_t call = 0;
    {
        const std::lock_guard lock(mutex_);
        call = waits_.size();
        waits_.push_back(milliseconds);
    }
    if (hook_) {
        hook_(milliseconds, call);
    }
    std::this_thread::yield();
}

std::vector<int> RecordingSleeper::waits() const {
    const std::lock_guard lock(mutex_);
    return waits_;
}

std::string readFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> lines(const std::string& bytes) {
    std::vector<std::string> result;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos) {
            result.push_back(bytes.substr(start));
            break;
        }
        result.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    return result;
}

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
