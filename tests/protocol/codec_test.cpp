#include <gtest/gtest.h>

#include <array>
#include <cstddef>
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

void put(Raw& raw, Slot slot, std::string_view text, std::size_t length) {
    raw[slot.offset] = static_cast<std::byte>(length);
    for (std::size_t i = 0; i < slot.capacity; ++i) {
        raw[slot.offset + 1 + i] = static_cast<std::byte>(i < text.size() ? text[i] : '\0');
    }
}

std::string get(const LobbyMessage& message, Slot slot) {
    const Raw raw = message.toBytes();
    const auto length = std::min(std::to_integer<std::size_t>(raw[slot.offset]), slot.capacity);
    return {reinterpret_cast<const char*>(raw.data()) + slot.offset + 1, length};
}

// A text whose every prefix is distinct, so a cut at the wrong place shows.
std::string pattern(std::size_t length) {
    std::string text;
    for (std::size_t i = 0; i < length; ++i) {
        text += static_cast<char>('0' + i % 75);
    }
    return text;
}

// clang-format off
// Nickname 小爱 and comment 来玩 in GBK.
const UserRecord kUser{Gbk("alice"), Gbk("secret"), Gbk("\xD0\xA1\xB0\xAE"), Gbk("1234"),
                       -5, 7, -100000, 2147483647};
const RoomRecord kRoom{Gbk("alice"), Gbk("1234"), Gbk("\xC0\xB4\xCD\xE6 come"),
                       Gbk("Comet Catcher"), Gbk("1"), Gbk("TA:Escalation"), Gbk("ES"), Gbk("pw"),
                       Gbk("1234"), 8, -3, 2, 3, -1, -128, 127, 4, 5, 6, 9, -2};
// clang-format on

// Encodes into a record full of 0xA5 bytes; every byte outside `owned` must stay as it was.
template <typename Record, typename Encode>
LobbyMessage encodeOver(const Record& record, Encode encode, std::initializer_list<Slot> owned) {
    Raw raw{};
    raw.fill(std::byte{0xA5});
    LobbyMessage message = *LobbyMessage::fromBytes(raw);
    encode(record, message);
    const Raw after = message.toBytes();
    for (std::size_t i = 0; i < kRecordSize; ++i) {
        if (std::ranges::none_of(
                owned, [i](Slot s) { return i >= s.offset && i < s.offset + s.capacity; })) {
            EXPECT_EQ(after[i], raw[i]) << "byte " << i << " is not the encoder's";
        }
    }
    return message;
}

TEST(Codec, UserRoundTripsThroughItsOwnWireFields) {
    const LobbyMessage message = encodeOver(kUser, EncodeUser, {{2, 223}, {267, 21}, {352, 16}});
    EXPECT_EQ(get(message, sparam(2)), "61FC9550D9F33518");  // "secret" under the built-in key
    EXPECT_EQ(message.iparam1.get(), -5);
    EXPECT_EQ(message.iparam4.get(), 2147483647);
    EXPECT_EQ(DecodeUser(message), kUser);
}

TEST(Codec, RoomRoundTripsThroughItsOwnWireFieldsTheLastEightAsBytes) {
    const LobbyMessage message = encodeOver(kRoom, EncodeRoom, {{2, 349}, {352, 24}});
    const Raw raw = message.toBytes();
    EXPECT_EQ(
        std::vector(raw.begin() + 368, raw.end()),
        (std::vector<std::byte>{std::byte{0xFF}, std::byte{0x80}, std::byte{0x7F}, std::byte{4},
                                std::byte{5}, std::byte{6}, std::byte{9}, std::byte{0xFE}}));
    EXPECT_EQ(message.iparam2.get(), -3);
    EXPECT_EQ(DecodeRoom(message), kRoom);
}

TEST(Codec, RecordsOfAnyOtherSizeAreRefused) {
    for (const std::size_t size :
         {std::size_t{0}, std::size_t{1}, kRecordSize - 1, kRecordSize + 1}) {
        const auto result = LobbyMessage::fromBytes(std::vector<std::byte>(size));
        EXPECT_TRUE(!result && result.error() == size) << size;
    }
    EXPECT_TRUE(LobbyMessage::fromBytes(Raw{}));
}

TEST(Codec, SmallNumbersTakeTheLowestByteAndAreSentSignExtended) {
    const std::pair<std::int32_t, std::int8_t> cases[] = {
        {300, 44}, {255, -1}, {128, -128}, {127, 127}, {-1, -1}, {-129, 127}, {0x12345678, 0x78}};
    for (const auto& [wire, value] : cases) {
        LobbyMessage message{};
        for (LeInt32* field :
             {&message.iparam1, &message.iparam2, &message.iparam3, &message.iparam4}) {
            field->set(wire);
        }
        const RoomRecord room = DecodeRoom(message);
        EXPECT_EQ(DecodeUser(message).uflag, value) << wire;
        EXPECT_EQ((std::array{room.maxplayers, room.players, room.commander, room.los}),
                  (std::array{value, value, value, value}))
            << wire;
        EncodeRoom(room, message);
        EXPECT_EQ(message.iparam3.get(), value);
    }
}

TEST(Codec, PasswordIsEncipheredAndReadBackCutToTenBytes) {
    LobbyMessage message{};
    for (const char* hex :
         {"37F0A8DB31E5988E8E3B95319BCA8169", "37f0a8db31e5988e8e3b95319bca8169"}) {
        message.sparam2.set(std::string_view(hex));  // "abcdefghijklmnop"
        EXPECT_EQ(DecodeUser(message).password, Gbk("abcdefghij"));
    }
    // Hex padded with '0' to the whole field and a length byte claiming more: the nickname
    // after it is not hex and must not be read.
    std::string hex = des::EncryptHex("abcdefghij");
    hex.resize(100, '0');
    message.sparam2.set(hex);
    message.sparam2.length = 255;
    message.sparam3.set(std::string_view("nick"));
    EXPECT_EQ(DecodeUser(message).password, Gbk("abcdefghij"));
    UserRecord user;
    for (const auto& [password, digits] :
         {std::pair{"", 0U}, {"12345678", 16U}, {"123456789", 32U}}) {
        user.password = Gbk(password);
        EncodeUser(user, message);
        EXPECT_EQ(message.sparam2.view().size(), digits);
        EXPECT_EQ(DecodeUser(message).password, Gbk(password));
    }
    message.sparam2.set(std::string_view("61FC9550D9F3351Z"));
    EXPECT_THROW((void)DecodeUser(message), des::CipherError);
    user.password = Gbk(std::string_view("ab\0", 3));
    EXPECT_THROW(EncodeUser(user, message), des::CipherError);
}

// One text field: where it travels, how many bytes decoding takes, how many encoding sends
// at most, and what an empty text is sent as.
struct TextCase {
    const char* name;
    Slot wire;
    std::size_t decoded, sent;  // the record holds as many bytes as decoding takes
    bool user;
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
#define USER_TEXT(field) TEXT(User, field)
#define ROOM_TEXT(field) TEXT(Room, field)

const TextCase kTexts[] = {
    {"account", sparam(1), 20, 20, true, USER_TEXT(account)},
    {"nickname", sparam(3), 50, 20, true, USER_TEXT(nickname)},
    {"location", sparam(6), 20, 20, true, USER_TEXT(location), "\xB4\xF3\xCC\xFC"},  // 大厅
    {"host", sparam(9), 20, 20, false, ROOM_TEXT(host)},
    {"roomno", sparam(3), 20, 20, false, ROOM_TEXT(roomno)},
    {"comment", sparam(2), 50, 50, false, ROOM_TEXT(comment)},
    {"map", sparam(1), 50, 50, false, ROOM_TEXT(map)},
    {"status", sparam(4), 1, 1, false, ROOM_TEXT(status)},
    {"modname", sparam(5), 20, 20, false, ROOM_TEXT(modname)},
    {"modcode", sparam(6), 2, 2, false, ROOM_TEXT(modcode)},
    {"password", sparam(7), 10, 10, false, ROOM_TEXT(password)},
    {"roomref", sparam(8), 20, 20, false, ROOM_TEXT(roomref)},
};

class CodecText : public testing::TestWithParam<TextCase> {};

// Lengths 0, 1 and one either side of every edge; a length byte of 255 claims more than
// the field holds and must take nothing from the next field.
TEST_P(CodecText, DecodeAndEncodeCutAtTheirCountsAtEveryBoundary) {
    const TextCase& c = GetParam();
    std::set<std::size_t> lengths = {0, 1, 255};
    for (const std::size_t edge : {c.decoded, c.sent, c.wire.capacity}) {
        lengths.insert({edge - 1, edge, edge + 1});
    }
    for (const std::size_t length : lengths) {
        Raw raw{};
        for (int n = 1; n <= 9; ++n) {  // every other field full, so an overrun shows
            put(raw, sparam(n), std::string(sparam(n).capacity, 'n'),
                c.user && n == 2 ? 0 : sparam(n).capacity);
        }
        put(raw, c.wire, pattern(std::min(length, c.wire.capacity)), length);
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

INSTANTIATE_TEST_SUITE_P(Fields, CodecText, testing::ValuesIn(kTexts),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace ardentis::protocol
