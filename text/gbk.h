#pragma once

#include <compare>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

namespace ardentis::text {

// A byte string in code page 936 (GBK), exactly as it travels on the wire, is logged
// and is stored. Never UTF-8: texts become Unicode only where a window shows them.
// Comparisons are byte comparisons of length and content.
class Gbk {
  public:
    Gbk() = default;
    explicit Gbk(std::string bytes) : bytes_(std::move(bytes)) {}
    explicit Gbk(std::string_view bytes) : bytes_(bytes) {}
    explicit Gbk(const char* bytes) : bytes_(bytes) {}

    [[nodiscard]] const std::string& bytes() const noexcept { return bytes_; }
    [[nodiscard]] std::string_view view() const noexcept { return bytes_; }
    [[nodiscard]] std::size_t size() const noexcept { return bytes_.size(); }
    [[nodiscard]] bool empty() const noexcept { return bytes_.empty(); }

    // The first n bytes; a double-byte character may be cut in half, as on the wire.
    [[nodiscard]] Gbk left(std::size_t n) const { return Gbk(view().substr(0, n)); }
    [[nodiscard]] bool startsWith(const Gbk& prefix) const {
        return view().starts_with(prefix.view());
    }
    [[nodiscard]] bool contains(const Gbk& part) const {
        return view().find(part.view()) != std::string_view::npos;
    }

    Gbk& operator+=(const Gbk& other) {
        bytes_ += other.bytes_;
        return *this;
    }
    friend Gbk operator+(Gbk a, const Gbk& b) { return a += b; }
    friend bool operator==(const Gbk&, const Gbk&) = default;
    friend std::strong_ordering operator<=>(const Gbk&, const Gbk&) = default;

  private:
    std::string bytes_;
};

// Equal when the bytes are, with the letters A-Z and a-z matched regardless of case. Byte
// by byte, as the lobby has always compared map and mod names.
[[nodiscard]] inline bool equalsIgnoringAsciiCase(const Gbk& a, const Gbk& b) noexcept {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a.view()[i];
        char y = b.view()[i];
        if (x >= 'a' && x <= 'z') {
            x = static_cast<char>(x - 'a' + 'A');
        }
        if (y >= 'a' && y <= 'z') {
            y = static_cast<char>(y - 'a' + 'A');
        }
        if (x != y) {
            return false;
        }
    }
    return true;
}

}  // namespace ardentis::text
