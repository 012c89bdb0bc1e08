#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <cstring>
#include <numeric>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "protocol/codec.h"
#include "protocol/des.h"
#include "protocol/lobby_message.h"
#include "protocol/record_text.h"

namespace ardentis::protocol {
namespace {

using namespace std::string_literals;
using namespace des;
using text::Gbk;
using Raw = std::array<std::byte, kRecordSize>;

// A text field on the wire: a length byte at `offset`, then `capacity` bytes.
struct Slot {
    std::size_t offset, capacity;
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

// Each record round-trips through its own wire fields; the user's password goes enciphered
// (read back cut to ten bytes), the room's last eight numbers as single bytes.
TEST(Codec, RoundTripsThroughTheWireFieldsRefusesOtherSizesAndReadsSmallNumbersByTheLowestByte) {
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

    // Only the size of a record can be wrong. The 32-bit fields that carry small numbers are
    // read by their lowest byte and sent sign-extended.
    for (const std::size_t size :
         {std::size_t{0}, std::size_t{1}, kRecordSize - 1, kRecordSize + 1}) {
        const auto result = LobbyMessage::fromBytes(std::vector<std::byte>(size));
        EXPECT_TRUE(!result && result.error() == size) << size;
    }
    EXPECT_TRUE(LobbyMessage::fromBytes(Raw{}));
    const std::pair<std::int32_t, std::int8_t> cases[] = {
        {300, 44}, {255, -1}, {128, -128}, {127, 127}, {-1, -1}, {-129, 127}, {0x12345678, 0x78}};
    for (const auto& [wire, value] : cases) {
        message = LobbyMessage{};
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

// Blanks and control bytes inside fields stay, only the line's ends are trimmed; "%" is text;
// GBK bytes and NUL are bytes like any other; an overlong length byte prints only the field's
// own bytes; numbers, and the command's two bytes, are signed; the network type is left out.
TEST(RecordText, PrintsEveryFieldAsItIsAndNumbersSignedWithoutTheNetworkType) {
    LobbyMessage message{};
    message.sparam1.set(std::string_view("  100%"));
    message.sparam2.set(std::string_view("%s%d%n%%%"));
    message.sparam3.set(" \t\r\n "s);
    message.sparam4.bytes.fill('y');
    message.sparam4.length = 21;
    message.sparam5.set(std::string_view("next"));
    message.sparam8.set("a\0b"s);
    message.sparam9.set(std::string_view("\xB4\xF3\xCC\xFC  "));
    message.iparam1.set(-2147483647 - 1);
    message.iparam2.set(2147483647);
    message.iparam5.set(-1);
    message.iparam6.set(-128);
    message.iparam7.set(127);
    message.iparam10.set(3);
    message.iparam11.set(4);
    message.roomnettype.set(77);
    EXPECT_EQ(RecordText(message).view(),
              "sparam1:  100% sparam2:%s%d%n%%% sparam3: \t\r\n  sparam4:yyyyyyyyyyyyyyyyyyyy "
              "sparam5:next sparam6: sparam7: sparam8:a\0b sparam9:\xB4\xF3\xCC\xFC   "
              "iparam1:-2147483648 iparam2:2147483647 iparam3:0 iparam4:0 iparam5:-1 "
              "iparam6:-128 iparam7:127 iparam8:0 iparam9:0 :iparam10:3 iparam11:4"s);
    for (const auto& [command, sub, text] :
         {std::tuple{0, 0, "0:0"}, {255, 20, "-1:20"}, {4, 255, "4:-1"}, {128, 127, "-128:127"}}) {
        message.setKind(static_cast<std::uint8_t>(command), static_cast<std::int8_t>(sub));
        EXPECT_EQ(CommandText(message).view(), text);  // both bytes signed
    }
}

// Bytes from a hex text, decoded here rather than by the code under test.
std::string bytes(std::string_view hex) {
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        out += static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16));
    }
    return out;
}

// The worked example of the standard, NBS validation sets (variable plain text and key,
// permutation and S-box tests) and other published vectors; then our key handling, the
// built-in key "qjx" and NUL padding to whole blocks, each block on its own. Each vector runs on
// its own thread, all at once: the round keys belong to each call, a shared table would mix them.
TEST(Des, PublishedVectorsEncipherAndDecipherAllAtOnceAndTextsComeBackOrAreRefused) {
    std::vector<std::jthread> threads;
    // Hex key (a key text is NUL-padded to eight bytes, cut after eight), plain text, cipher.
    for (const auto& v :
         {std::array{"133457799BBCDFF1", "0123456789ABCDEF", "85E813540F0AB405"},
          {"0E329232EA6D0D73", "8787878787878787", "0000000000000000"},
          {"0123456789ABCDEF", "4E6F772069732074", "3FA40E8A984D4815"},
          {"0101010101010101", "8000000000000000", "95F8A5E5DD31D900"},
          {"0101010101010101", "0000000000000001", "166B40B44ABA4BD6"},
          {"8001010101010101", "0000000000000000", "95A8D72813DAA94D"},
          {"1046913489980131", "0000000000000000", "88D55E54F54C97B4"},
          {"7CA110454A1A6E57", "01A1D6D039776742", "690F5B0D9A26939B"},
          {"0000000000000000", "0000000000000000", "8CA64DE9C1B123A7"},
          {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "7359B2163E4EDC58"},
          {"FEDCBA9876543210", "0123456789ABCDEF", "ED39D950FA74BCC4"},
          {"30", "1000000000000001", "958E6E627A05557B"},
          {"133457799BBCDFF16D6F7265", "0123456789ABCDEF", "85E813540F0AB405"},
          {"0022446688AACCEE", "4E6F772069732074", "3FA40E8A984D4815"},  // parity ignored
          {"716A78", "313233343536", "BDF0EC4CEFFFA6A9"},                // "123456"
          {"716A78", "D6D0CEC4", "4C138338E77021B7"},                    // GBK 中文
          {"716A78", "6162636465666768", "37F0A8DB31E5988E"},
          {"716A78", "616263646566676869", "37F0A8DB31E5988EEFB5D420DDBBA529"},
          {"716A78", "41424344454647484142434445464748", "C1A04853C57D7410C1A04853C57D7410"},
          {"716A78", "", ""}}) {
        threads.emplace_back([v, key = bytes(v[0]), plain = bytes(v[1])] {
            SCOPED_TRACE("key "s + v[0] + ", plain " + v[1]);
            for (int repeat = 0; repeat < 100; ++repeat) {
                if (plain.empty() || plain.back() != '\0') {  // such a text cannot be enciphered
                    EXPECT_EQ(EncryptHex(plain, key), v[2]);
                }
                // Deciphering drops every trailing NUL.
                EXPECT_EQ(DecryptHex(v[2], key), plain.substr(0, plain.find_last_not_of('\0') + 1));
            }
        });
    }
    // Meanwhile: every byte and inner NULs come back; either case of hex is read; a lone hex
    // digit or a partial block is ignored; a text ending in NUL and a non-hex digit are refused.
    for (const std::string& text : {pattern(255), "a\0b"s, "abc\0\0\0\0\0defgh"s, "\0\0x"s}) {
        EXPECT_EQ(DecryptText(EncryptText(text, "qjx"), "qjx"), text);
        EXPECT_EQ(DecryptHex(EncryptHex(text, "\xB4\xF3"), "\xB4\xF3"), text);
    }
    EXPECT_EQ(DecryptHex("BdF0eC4cEFFFa6A9"), "123456");
    EXPECT_EQ(DecryptHex("BDF0EC4CEFFFA6A9Z"), "123456");
    EXPECT_EQ(DecryptHex("B"), "");
    const std::string cipher = EncryptText("password1", "qjx");
    EXPECT_EQ(DecryptText(cipher + "xyz", "qjx"), "password1");
    EXPECT_EQ(DecryptText(cipher.substr(0, 15), "qjx"), "password");
    EXPECT_THROW((void)EncryptText("abc\0"s, "qjx"), CipherError);
    EXPECT_THROW((void)EncryptText(std::string(8, '\0'), "qjx"), CipherError);
    for (const char* hex :
         {"BDF0EC4CEFFFA6AG", "BDF0EC4C EFFFA6A9", "0x", "-1", "g/", ":@", "`1"}) {
        EXPECT_THROW((void)DecryptHex(hex), CipherError) << hex;
    }
    EXPECT_EQ(HexValue("FEDCBA9876543210"), 0xFEDCBA9876543210ULL);
}

}  // namespace
}  // namespace ardentis::protocol
