#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <expected>
#include <span>
#include <string_view>

#include "text/gbk.h"

namespace ardentis::protocol {

inline constexpr std::size_t kRecordSize = 376;

// A length-prefixed text of capacity N on the wire: one length byte, then N bytes.
template <std::size_t N>
struct TextField {
    static constexpr std::size_t kCapacity = N;
    std::uint8_t length;
    std::array<char, N> bytes;

    // The text as the field holds it. A length byte beyond the capacity is hostile or
    // broken input: at most the capacity is taken, never the bytes of the next field.
    [[nodiscard]] std::string_view view() const noexcept {
        return {bytes.data(), std::min<std::size_t>(length, N)};
    }
    [[nodiscard]] text::Gbk text() const { return text::Gbk(view()); }
    // The first min(text length, n) bytes of the text, and never more than the capacity.
    [[nodiscard]] text::Gbk text(std::size_t n) const { return text::Gbk(view().substr(0, n)); }

    // Writes at most min(n, N) bytes; the bytes after the text are zeroed.
    void set(std::string_view value, std::size_t n = N) noexcept {
        const std::size_t count = std::min({value.size(), n, N});
        bytes.fill('\0');
        std::copy_n(value.begin(), count, bytes.begin());
        length = static_cast<std::uint8_t>(count);
    }
    void set(const text::Gbk& value, std::size_t n = N) noexcept { set(value.view(), n); }
};

// A signed 32-bit integer stored little-endian, whatever the host's byte order.
struct LeInt32 {
    std::array<std::uint8_t, 4> bytes;

    [[nodiscard]] std::int32_t get() const noexcept {
        const std::uint32_t value = static_cast<std::uint32_t>(bytes[0]) |
                                    (static_cast<std::uint32_t>(bytes[1]) << 8U) |
                                    (static_cast<std::uint32_t>(bytes[2]) << 16U) |
                                    (static_cast<std::uint32_t>(bytes[3]) << 24U);
        return static_cast<std::int32_t>(value);
    }
    void set(std::int32_t value) noexcept {
        const auto v = static_cast<std::uint32_t>(value);
        bytes = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8U),
                 static_cast<std::uint8_t>(v >> 16U), static_cast<std::uint8_t>(v >> 24U)};
    }
};

// A signed 8-bit value on the wire.
struct Int8 {
    std::uint8_t byte;

    [[nodiscard]] std::int8_t get() const noexcept { return static_cast<std::int8_t>(byte); }
    void set(std::int8_t value) noexcept { byte = static_cast<std::uint8_t>(value); }
};

// The fixed 376-byte record every message travels in. Built only of byte arrays, so its
// layout is the wire layout with no padding. Value-initialise it (`LobbyMessage m{};`):
// every record is zero-filled before its fields are set.
struct LobbyMessage {
    std::uint8_t command;
    std::uint8_t subcommand;
    TextField<100> sparam1;
    TextField<100> sparam2;
    TextField<20> sparam3;
    TextField<20> sparam4;
    TextField<20> sparam5;
    TextField<20> sparam6;
    TextField<20> sparam7;
    TextField<20> sparam8;
    TextField<20> sparam9;
    std::uint8_t reserved;
    LeInt32 iparam1;
    LeInt32 iparam2;
    LeInt32 iparam3;
    LeInt32 iparam4;
    Int8 iparam5;
    Int8 iparam6;
    Int8 iparam7;
    Int8 iparam8;
    Int8 iparam9;
    Int8 iparam10;
    Int8 iparam11;
    Int8 roomnettype;

    // The sub-command as the protocol reads it: signed, so 255 is -1.
    [[nodiscard]] std::int8_t signedSubcommand() const noexcept {
        return static_cast<std::int8_t>(subcommand);
    }
    void setKind(std::uint8_t cmd, std::int8_t sub) noexcept {
        command = cmd;
        subcommand = static_cast<std::uint8_t>(sub);
    }

    [[nodiscard]] std::array<std::byte, kRecordSize> toBytes() const noexcept;
    // Every byte pattern of the right size is a record; only the size can be wrong.
    [[nodiscard]] static std::expected<LobbyMessage, std::size_t> fromBytes(
        std::span<const std::byte> bytes) noexcept;
};

static_assert(sizeof(LobbyMessage) == kRecordSize);
static_assert(alignof(LobbyMessage) == 1);
static_assert(offsetof(LobbyMessage, command) == 0);
static_assert(offsetof(LobbyMessage, subcommand) == 1);
static_assert(offsetof(LobbyMessage, sparam1) == 2);
static_assert(offsetof(LobbyMessage, sparam2) == 103);
static_assert(offsetof(LobbyMessage, sparam3) == 204);
static_assert(offsetof(LobbyMessage, sparam4) == 225);
static_assert(offsetof(LobbyMessage, sparam5) == 246);
static_assert(offsetof(LobbyMessage, sparam6) == 267);
static_assert(offsetof(LobbyMessage, sparam7) == 288);
static_assert(offsetof(LobbyMessage, sparam8) == 309);
static_assert(offsetof(LobbyMessage, sparam9) == 330);
static_assert(offsetof(LobbyMessage, reserved) == 351);
static_assert(offsetof(LobbyMessage, iparam1) == 352);
static_assert(offsetof(LobbyMessage, iparam2) == 356);
static_assert(offsetof(LobbyMessage, iparam3) == 360);
static_assert(offsetof(LobbyMessage, iparam4) == 364);
static_assert(offsetof(LobbyMessage, iparam5) == 368);
static_assert(offsetof(LobbyMessage, iparam11) == 374);
static_assert(offsetof(LobbyMessage, roomnettype) == 375);

inline std::array<std::byte, kRecordSize> LobbyMessage::toBytes() const noexcept {
    std::array<std::byte, kRecordSize> out{};
    std::memcpy(out.data(), this, kRecordSize);
    return out;
}

inline std::expected<LobbyMessage, std::size_t> LobbyMessage::fromBytes(
    std::span<const std::byte> bytes) noexcept {
    if (bytes.size() != kRecordSize) {
        return std::unexpected(bytes.size());
    }
    LobbyMessage message{};
    std::memcpy(&message, bytes.data(), kRecordSize);
    return message;
}

}  // namespace ardentis::protocol
