#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <cstring>
#include <numeric>
#include <set>
#include <string>
#include <string_view>

#include "protocol/codec.h"
#include "protocol/des.h"
#include "protocol/lobby_message.h"

namespace ardentis::protocol {
namespace {

using text::Gbk;
using Raw = std::array<std::byte, kRecordSize>;

// A text field on the wire: a length byte at `offset`, then `capacity` bytes.
struct Slot {
    std::size_t offset;
    std::size_t capacity;
};
constexpr Slot sparam(int n) {
    return n == 1 ? Slot{2, 100} : n == 2 ? Slot{103, 100} : Slot{204 + 21 * (n - 3U), 20};
}

std::string get(const LobbyMessage& message, std::size_t offset, std::size_t size) {
    const Raw raw = message.toBytes();
    return {reinterpret_cast<const char*>(raw.data()) + offset, size};
}
std::string get(const LobbyMessage& message, Slot slot) {
    const auto length = std::to_integer<std::size_t>(message.toBytes()[slot.offset]);
    return get(message, slot.offset + 1, std::min(length, slot.capacity));
}

// A text of distinct bytes, so a cut or a read at the wrong place shows.
std::string pattern(std::size_t length) {
    std::string text(length, '\0');
    std::iota(text.begin(), text.end(), '\x01');
    return text;
}

// Encodes into a record full of 0xA5 bytes; every byte outside `owned` must stay as it was.
template <typename Record, typename Encode>
LobbyMessage encodeOver(const Record& record, Encode encode, std::initializer_list<Slot> owned) {
    Raw raw{};
    raw.fill(std::byte{0xA5});
    LobbyMessage message = *LobbyMessage::fromBytes(raw);
    encode(record, message);
    raw = message.toBytes();
    for (const Slot slot : owned) {
        std::fill_n(raw.begin() + static_cast<std::ptrdiff_t>(slot.offset), slot.capacity,
                    std::byte{0xA5});
    }
    EXPECT_EQ(std::ranges::count(raw, std::byte{0xA5}), std::ssize(raw))
        << "bytes not the encoder's";
    return message;
}

// clang-format off
// Nickname 小爱 and comment 来玩 in GBK.
const UserRecord kUser{Gbk("alice"), Gbk("secret"), Gbk("\xD0\xA1\xB0\xAE"), Gbk("1234"),
                       -5, 7, -100000, 2147483647};
const RoomRecord kRoom{Gbk("alice"), Gbk("1234"), Gbk("\xC0\xB4\xCD\xE6 come"),
                       Gbk("Comet Catcher"), Gbk("1"), Gbk("TA:Escalation"), Gbk("ES"), Gbk("pw"),
                       Gbk("1234"), 8, -3, 2, 3, -1, -128, 127, 4, 5, 6, 9, -2};
// clang-format on

// Each record round-trips through its own wire fields; the user's password goes enciphered,
// the room's last eight numbers as single bytes.
TEST(Codec, UserAndRoomRoundTripThroughTheirOwnWireFieldsPasswordCutToTenBytes) {
    const LobbyMessage u = encodeOver(kUser, EncodeUser, {{2, 223}, {267, 21}, {352, 16}});
    EXPECT_EQ(get(u, sparam(2)), "61FC9550D9F33518");  // "secret" under the built-in key
    EXPECT_EQ(get(u, 352, 16),
              std::string("\xFB\xFF\xFF\xFF\x07\0\0\0\x60\x79\xFE\xFF\xFF\xFF\xFF\x7F", 16));
    EXPECT_EQ(DecodeUser(u), kUser);
    const LobbyMessage r = encodeOver(kRoom, EncodeRoom, {{2, 349}, {352, 24}});
    EXPECT_EQ(get(r, 352, 24), std::string("\x08\0\0\0\xFD\xFF\xFF\xFF\x02\0\0\0\x03\0\0\0"
                                           "\xFF\x80\x7F\x04\x05\x06\x09\xFE",
                                           24));
    EXPECT_EQ(DecodeRoom(r), kRoom);
    // The password is read back cut to ten bytes; one the cipher refuses leaves the record be.
    LobbyMessage message{};
    message.sparam2.set(des::EncryptHex("abcdefghijklmnop"));
    EXPECT_EQ(DecodeUser(message).password, Gbk("abcdefghij"));
    UserRecord user = kUser;
    user.password = Gbk(std::string_view("ab\0", 3));
    EXPECT_THROW(EncodeUser(user, message), des::CipherError);
    EXPECT_EQ(DecodeUser(message).password, Gbk("abcdefghij"));
}

// Only the size of a record can be wrong. The 32-bit fields that carry small numbers are read
// by their lowest byte and sent sign-extended.
TEST(Codec, RecordsOfAnyOtherSizeAreRefusedSmallNumbersTakeTheLowestByte) {
    for (const std::size_t size :
         {std::size_t{0}, std::size_t{1}, kRecordSize - 1, kRecordSize + 1}) {
        const auto result = LobbyMessage::fromBytes(std::vector<std::byte>(size));
        EXPECT_TRUE(!result && result.error() == size) << size;
    }
    EXPECT_TRUE(LobbyMessage::fromBytes(Raw{}));
    const std::pair<std::int32_t, std::int8_t> cases[] = {
        {300, 44}, {255, -1}, {128, -128}, {127, 127}, {-1, -1}, {-129, 127}, {0x12345678, 0x78}};
    for (const auto& [wire, value] : cases) {
        LobbyMessage message{};
        for (LeInt32* field :
             {&message.iparam1, &message.iparam2, &message.iparam3, &message.iparam4}) {
            field->set(wire);
        }
        const RoomRecord room = DecodeRoom(message);
        EXPECT_EQ((std::array{DecodeUser(message).uflag, room.maxplayers, room.players,
                              room.commander, room.los}),
                  (std::array{value, value, value, value, value}))
            << wire;
        EncodeRoom(room, message);
        EXPECT_EQ(message.iparam3.get(), value);
    }
}

// One text field: where it travels, how many bytes decoding takes, how many encoding sends
// at most, and what an empty text is sent as.
struct TextCase {
    const char* name;
    Slot wire;
    std::size_t decoded, sent;  // the record holds as many bytes as decoding takes
    std::string (*decode)(const LobbyMessage&);
    void (*encode)(const Gbk&, LobbyMessage&);
    std::string_view empty = {};
};

// The decode and encode functions of one text field of a user or room record.
// clang-format off
#define TEXT(Kind, field)                                                                   \
    [](const LobbyMessage& m) { return std::string(Decode##Kind(m).field.view()); },       \
    [](const Gbk& t, LobbyMessage& m) { Kind##Record r; r.field = t; Encode##Kind(r, m); }
// clang-format on

const TextCase kTexts[] = {
    {"account", sparam(1), 20, 20, TEXT(User, account)},
    {"nickname", sparam(3), 50, 20, TEXT(User, nickname)},
    {"location", sparam(6), 20, 20, TEXT(User, location), "\xB4\xF3\xCC\xFC"},  // 大厅
    {"host", sparam(9), 20, 20, TEXT(Room, host)},
    {"roomno", sparam(3), 20, 20, TEXT(Room, roomno)},
    {"comment", sparam(2), 50, 50, TEXT(Room, comment)},
    {"map", sparam(1), 50, 50, TEXT(Room, map)},
    {"status", sparam(4), 1, 1, TEXT(Room, status)},
    {"modname", sparam(5), 20, 20, TEXT(Room, modname)},
    {"modcode", sparam(6), 2, 2, TEXT(Room, modcode)},
    {"password", sparam(7), 10, 10, TEXT(Room, password)},
    {"roomref", sparam(8), 20, 20, TEXT(Room, roomref)},
};

// Lengths 0, 1 and one either side of every edge; a length byte of 255 claims more than
// the field holds and must take nothing from the next field.
TEST(CodecText, DecodeAndEncodeCutAtTheirCountsAtEveryBoundary) {
    for (const TextCase& c : kTexts) {
        SCOPED_TRACE(c.name);
        std::set<std::size_t> lengths = {0, 1, 255};
        for (const std::size_t edge : {c.decoded, c.sent, c.wire.capacity}) {
            lengths.insert({edge - 1, edge, edge + 1});
        }
        for (const std::size_t length : lengths) {
            Raw raw{};
            raw.fill(std::byte{'0'});  // every field full of hex digits: an overrun shows
            raw[c.wire.offset] = static_cast<std::byte>(length);
            const std::string text = pattern(std::min(length, c.wire.capacity));
            std::memcpy(raw.data() + c.wire.offset + 1, text.data(), text.size());
            const LobbyMessage in = *LobbyMessage::fromBytes(raw);
            const std::string expected = pattern(std::min({length, c.decoded, c.wire.capacity}));
            EXPECT_EQ(c.decode(in), expected) << "decoding " << length;
            if (length > c.decoded + 1) {
                continue;
            }
            LobbyMessage out{};
            c.encode(Gbk(pattern(length)), out);
            EXPECT_EQ(get(out, c.wire), length == 0 && !c.empty.empty()
                                            ? std::string(c.empty)
                                            : pattern(std::min(length, c.sent)))
                << "encoding " << length;
        }
    }
}

}  // namespace
}  // namespace ardentis::protocol
