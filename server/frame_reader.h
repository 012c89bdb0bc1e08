#pragma once

#include <array>
#include <cstddef>
#include <cstring>
#include <span>

#include "protocol/lobby_message.h"

namespace ardentis::server {

// Cuts a byte stream into 376-byte records, whatever the reads' sizes: a record split
// across reads comes out once whole, several records in one read come out in order.
class FrameReader {
  public:
    // Where the next read may put its bytes; never empty.
    [[nodiscard]] std::span<std::byte> space() noexcept {
        return std::span(buffer_).subspan(used_);
    }

    // Takes `count` bytes just read into space(). Calls onRecord for each whole record
    // until it returns false; the bytes of a record not yet whole stay for the next read.
    template <typename OnRecord>
    void commit(std::size_t count, OnRecord&& onRecord) {
        used_ += count;
        std::size_t offset = 0;
        while (used_ - offset >= protocol::kRecordSize) {
            auto record = protocol::LobbyMessage::fromBytes(
                std::span<const std::byte>(buffer_).subspan(offset, protocol::kRecordSize));
            offset += protocol::kRecordSize;
            if (!onRecord(*record)) {
                break;
            }
        }
        used_ -= offset;
        std::memmove(buffer_.data(), buffer_.data() + offset, used_);
    }

  private:
    static constexpr std::size_t kRecordsPerRead = 8;
    std::array<std::byte, protocol::kRecordSize * kRecordsPerRead> buffer_{};
    std::size_t used_ = 0;
};

}  // namespace ardentis::server
