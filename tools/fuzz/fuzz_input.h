#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>

namespace ardentis::fuzz {

// Takes a fuzzer's bytes apart front to back; past the end every read gives zero or empty,
// so a target never needs to check sizes.
class FuzzInput {
  public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : bytes_(data, size) {}

    [[nodiscard]] bool empty() const noexcept { return bytes_.empty(); }
    [[nodiscard]] std::size_t size() const noexcept { return bytes_.size(); }

    std::uint8_t byte() noexcept {
        if (bytes_.empty()) {
            return 0;
        }
        const std::uint8_t value = bytes_.front();
        bytes_ = bytes_.subspan(1);
        return value;
    }

    // Up to `count` bytes.
    std::span<const std::byte> take(std::size_t count) noexcept {
        const auto part = std::as_bytes(bytes_.first(std::min(count, bytes_.size())));
        bytes_ = bytes_.subspan(part.size());
        return part;
    }

    // Bytes up to the next NUL (which is consumed) or the end: one text of several.
    std::string_view text() noexcept {
        const auto* begin = reinterpret_cast<const char*>(bytes_.data());
        const auto end = std::ranges::find(bytes_, std::uint8_t{0});
        const auto length = static_cast<std::size_t>(end - bytes_.begin());
        bytes_ = bytes_.subspan(std::min(length + 1, bytes_.size()));
        return {begin, length};
    }

    std::span<const std::byte> rest() noexcept { return take(bytes_.size()); }

  private:
    std::span<const std::uint8_t> bytes_;
};

// A property that does not hold: a finding, as much as a crash is.
[[noreturn]] inline void violated(const char* what) {
    std::fprintf(stderr, "property violated: %s\n", what);
    std::abort();
}

inline void check(bool holds, const char* what) {
    if (!holds) {
        violated(what);
    }
}

}  // namespace ardentis::fuzz
