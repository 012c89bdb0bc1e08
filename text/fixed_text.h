#pragma once

#include <cstddef>
#include <string_view>

#include "text/gbk.h"

namespace ardentis::text {

// A text with a fixed byte capacity, as the records hold them: whatever is assigned
// keeps only its first N bytes (a double-byte character may be cut in half).
template <std::size_t N>
class FixedText {
  public:
    static constexpr std::size_t kCapacity = N;

    FixedText() = default;
    // Implicit on purpose: assigning a text to a record field cuts it, as the field does.
    FixedText(const Gbk& value) : value_(value.left(N)) {}  // NOLINT(google-explicit-constructor)
    explicit FixedText(std::string_view bytes) : value_(bytes.substr(0, N)) {}

    FixedText& operator=(const Gbk& value) {
        value_ = value.left(N);
        return *this;
    }

    [[nodiscard]] const Gbk& gbk() const noexcept { return value_; }
    operator const Gbk&() const noexcept { return value_; }  // NOLINT(google-explicit-constructor)
    [[nodiscard]] std::string_view view() const noexcept { return value_.view(); }
    [[nodiscard]] std::size_t size() const noexcept { return value_.size(); }
    [[nodiscard]] bool empty() const noexcept { return value_.empty(); }

    friend bool operator==(const FixedText& a, const FixedText& b) { return a.value_ == b.value_; }
    friend bool operator==(const FixedText& a, const Gbk& b) { return a.value_ == b; }

  private:
    Gbk value_;
};

}  // namespace ardentis::text
