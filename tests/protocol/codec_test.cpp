#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "protocol/codec.h"
#include "protocol/des.h"
#include "protocol/lobby_message.h"
#include "text/code_page.h"
#include "text/gbk.h"

namespace ardentis::protocol {
namespace {

using text::Gbk;

constexpr std::string_view kLobbyGbk = "\xB4\xF3\xCC\xFC";  // 大厅

// A text whose every prefix is distinct, so a cut at the wrong place shows.
std::string pattern(std::size_t length) {
    static constexpr std::string_view kChars =
        "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    std::string text;
    for (std::size_t i = 0; i < length; ++i) {
        text += kChars[i % kChars.size()];
    }
    return text;
}

// A record whose every byte is `fill`, to see which bytes an encoder writes.
LobbyMessage filledRecord(std::byte fill) {
    std::array<std::byte, kRecordSize> raw{};
    raw.fill(fill);
    return *LobbyMessage::fromBytes(raw);
}

struct ByteRange {
    std::size_t begin;
    std::size_t end;
};

// Every byte outside the owned ranges is as it was.
void expectOnlyOwnedBytesChanged(const LobbyMessage& before, const LobbyMessage& after,
                                 std::initializer_list<ByteRange> owned) {
    const auto a = before.toBytes();
    const auto b = after.toBytes();
    for (std::size_t i = 0; i < kRecordSize; ++i) {
        const bool isOwned = std::any_of(owned.begin(), owned.end(), [i](const ByteRange& r) {
            return i >= r.begin && i < r.end;
        });
        if (!isOwned) {
            EXPECT_EQ(a[i], b[i]) << "byte " << i << " is not the encoder's";
        }
    }
}

UserRecord sampleUser() {
    UserRecord user;
    user.account = Gbk("alice");
    user.password = Gbk("secret");
    user.nickname = Gbk("\xD0\xA1\xB0\xAE");  // GBK 小爱
    user.location = Gbk("1234");
    user.uflag = -5;
    user.uvalue1 = 7;
    user.uvalue2 = -100000;
    user.uvalue3 = 2147483647;
    return user;
}

RoomRecord sampleRoom() {
    RoomRecord room;
    room.host = Gbk("alice");
    room.roomno = Gbk("1234");
    room.comment = Gbk("\xC0\xB4\xCD\xE6 come and play");  // GBK 来玩
    room.map = Gbk("Comet Catcher");
    room.status = Gbk("1");
    room.modname = Gbk("TA:Escalation");
    room.modcode = Gbk("ES");
    room.password = Gbk("pw");
    room.roomref = Gbk("1234");
    room.maxplayers = 8;
    room.players = -3;
    room.commander = 2;
    room.los = 3;
    room.watch = -1;
    room.cheat = -128;
    room.mapmode = 127;
    room.startpos = 4;
    room.unitlimit = 5;
    room.metal = 6;
    room.energy = 9;
    room.nettype = -2;
    return room;
}

TEST(CodecUser, EachFieldTravelsInItsWireField) {
    LobbyMessage message{};
    EncodeUser(sampleUser(), message);
    EXPECT_EQ(message.sparam1.view(), "alice");
    EXPECT_EQ(message.sparam2.view(), "61FC9550D9F33518");  // "secret" under the built-in key
    EXPECT_EQ(message.sparam3.view(), "\xD0\xA1\xB0\xAE");
    EXPECT_EQ(message.sparam6.view(), "1234");
    EXPECT_EQ(message.iparam1.get(), -5);
    EXPECT_EQ(message.iparam2.get(), 7);
    EXPECT_EQ(message.iparam3.get(), -100000);
    EXPECT_EQ(message.iparam4.get(), 2147483647);
    EXPECT_EQ(DecodeUser(message), sampleUser());
}

TEST(CodecUser, EncodeWritesOnlyTheUserFields) {
    LobbyMessage message = filledRecord(std::byte{0xA5});
    message.setKind(2, -1);
    const LobbyMessage before = message;
    EncodeUser(sampleUser(), message);
    // sparam1, sparam2, sparam3, sparam6 and iparam1..4.
    expectOnlyOwnedBytesChanged(before, message, {{2, 225}, {267, 288}, {352, 368}});
    EXPECT_EQ(message.command, 2);
    EXPECT_EQ(message.signedSubcommand(), -1);
    // Inside its fields the encoder leaves no stale byte after the text.
    EXPECT_EQ(message.sparam6.bytes[4], '\0');
    EXPECT_EQ(message.sparam6.bytes[19], '\0');
}

TEST(CodecUser, EmptyLocationIsSentAsTheLobby) {
    UserRecord user = sampleUser();
    user.location = Gbk("");
    LobbyMessage message{};
    EncodeUser(user, message);
    EXPECT_EQ(message.sparam6.view(), kLobbyGbk);
    EXPECT_EQ(DecodeUser(message).location, text::gbk("大厅"));
}

TEST(CodecUser, PasswordIsEncipheredAndReadBackCutToTenBytes) {
    LobbyMessage message{};
    message.sparam2.set(std::string_view("37F0A8DB31E5988E8E3B95319BCA8169"));  // 16 bytes
    EXPECT_EQ(DecodeUser(message).password, Gbk("abcdefghij"));
    message.sparam2.set(std::string_view("37f0a8db31e5988e8e3b95319bca8169"));
    EXPECT_EQ(DecodeUser(message).password, Gbk("abcdefghij"));

    UserRecord user;
    user.password = Gbk("12345678");
    EncodeUser(user, message);
    EXPECT_EQ(message.sparam2.view().size(), 16U);
    user.password = Gbk("123456789");
    EncodeUser(user, message);
    EXPECT_EQ(message.sparam2.view().size(), 32U);
    EXPECT_EQ(DecodeUser(message).password, Gbk("123456789"));
    user.password = Gbk("");
    EncodeUser(user, message);
    EXPECT_EQ(message.sparam2.view(), "");
    EXPECT_EQ(DecodeUser(message).password, Gbk(""));
}

TEST(CodecUser, CipherErrorsReachTheCaller) {
    LobbyMessage message{};
    message.sparam2.set(std::string_view("61FC9550D9F3351Z"));
    try {
        (void)DecodeUser(message);
        ADD_FAILURE() << "a non-hex password was accepted";
    } catch (const des::CipherError& error) {
        EXPECT_STREQ(error.what(), "Error: not a Hex String");
    }

    UserRecord user = sampleUser();
    user.password = Gbk(std::string_view("ab\0", 3));
    try {
        EncodeUser(user, message);
        ADD_FAILURE() << "a password ending in NUL was enciphered";
    } catch (const des::CipherError& error) {
        EXPECT_STREQ(error.what(), "Error: the last char is NULL char.");
    }
}

struct SmallIntCase {
    std::int32_t wire;
    std::int8_t value;
};

void PrintTo(const SmallIntCase& v, std::ostream* os) {
    *os << "wire " << v.wire << " -> " << static_cast<int>(v.value);
}

class CodecSmallInt : public testing::TestWithParam<SmallIntCase> {};

TEST_P(CodecSmallInt, DecodeKeepsTheLowestByteOfUflagAndRoomCounts) {
    LobbyMessage message{};
    message.iparam1.set(GetParam().wire);
    message.iparam2.set(GetParam().wire);
    message.iparam3.set(GetParam().wire);
    message.iparam4.set(GetParam().wire);
    EXPECT_EQ(DecodeUser(message).uflag, GetParam().value);
    const RoomRecord room = DecodeRoom(message);
    EXPECT_EQ(room.maxplayers, GetParam().value);
    EXPECT_EQ(room.players, GetParam().value);
    EXPECT_EQ(room.commander, GetParam().value);
    EXPECT_EQ(room.los, GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(LowestByte, CodecSmallInt,
                         testing::Values(SmallIntCase{300, 44}, SmallIntCase{255, -1},
                                         SmallIntCase{128, -128}, SmallIntCase{127, 127},
                                         SmallIntCase{-1, -1}, SmallIntCase{-129, 127},
                                         SmallIntCase{0x12345678, 0x78}, SmallIntCase{0, 0}));

TEST(CodecSmallInt, EncodeSignExtendsToFourBytes) {
    LobbyMessage message{};
    UserRecord user;
    user.uflag = -1;
    EncodeUser(user, message);
    EXPECT_EQ(message.iparam1.bytes, (std::array<std::uint8_t, 4>{0xFF, 0xFF, 0xFF, 0xFF}));

    RoomRecord room;
    room.maxplayers = -128;
    room.players = 127;
    room.commander = -1;
    room.los = 1;
    EncodeRoom(room, message);
    EXPECT_EQ(message.iparam1.get(), -128);
    EXPECT_EQ(message.iparam2.get(), 127);
    EXPECT_EQ(message.iparam3.get(), -1);
    EXPECT_EQ(message.iparam4.bytes, (std::array<std::uint8_t, 4>{1, 0, 0, 0}));
}

TEST(CodecRoom, EachFieldTravelsInItsWireField) {
    LobbyMessage message{};
    EncodeRoom(sampleRoom(), message);
    EXPECT_EQ(message.sparam9.view(), "alice");
    EXPECT_EQ(message.sparam3.view(), "1234");
    EXPECT_EQ(message.sparam2.view(), "\xC0\xB4\xCD\xE6 come and play");
    EXPECT_EQ(message.sparam1.view(), "Comet Catcher");
    EXPECT_EQ(message.sparam4.view(), "1");
    EXPECT_EQ(message.sparam5.view(), "TA:Escalation");
    EXPECT_EQ(message.sparam6.view(), "ES");
    EXPECT_EQ(message.sparam7.view(), "pw");  // room passwords travel in clear
    EXPECT_EQ(message.sparam8.view(), "1234");
    EXPECT_EQ(message.iparam1.get(), 8);
    EXPECT_EQ(message.iparam2.get(), -3);
    EXPECT_EQ(message.iparam3.get(), 2);
    EXPECT_EQ(message.iparam4.get(), 3);
    const auto raw = message.toBytes();
    // iparam5..11 and the network type, byte for byte at 368..375.
    const std::array<std::uint8_t, 8> bytes = {0xFF, 0x80, 0x7F, 4, 5, 6, 9, 0xFE};
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        EXPECT_EQ(raw[368 + i], std::byte{bytes[i]}) << "byte " << 368 + i;
    }
    EXPECT_EQ(DecodeRoom(message), sampleRoom());
}

TEST(CodecRoom, EncodeWritesOnlyTheRoomFields) {
    LobbyMessage message = filledRecord(std::byte{0x5A});
    message.setKind(4, 15);
    const LobbyMessage before = message;
    EncodeRoom(sampleRoom(), message);
    expectOnlyOwnedBytesChanged(before, message, {{2, 351}, {352, 376}});
    EXPECT_EQ(message.command, 4);
    EXPECT_EQ(message.subcommand, 15);
}

TEST(CodecRoom, ByteFieldsArriveUnchanged) {
    std::array<std::byte, kRecordSize> raw{};
    const std::array<std::uint8_t, 8> bytes = {0x80, 0xFF, 0x01, 0x7F, 0x00, 0xC8, 0x32, 0x02};
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        raw[368 + i] = std::byte{bytes[i]};
    }
    const RoomRecord room = DecodeRoom(*LobbyMessage::fromBytes(raw));
    const std::array<std::int8_t, 8> decoded = {room.watch,    room.cheat,     room.mapmode,
                                                room.startpos, room.unitlimit, room.metal,
                                                room.energy,   room.nettype};
    EXPECT_EQ(decoded, (std::array<std::int8_t, 8>{-128, -1, 1, 127, 0, -56, 50, 2}));
}

// One text field of a record kind, the wire field it travels in, and the byte counts
// copied each way: decode takes min(length, decodeCount); encode sends min(length, sent).
using WireField = std::variant<TextField<100> LobbyMessage::*, TextField<20> LobbyMessage::*>;

std::size_t wireCapacity(WireField field) {
    return std::visit(
        [](auto member) {
            using Field = std::remove_reference_t<decltype(std::declval<LobbyMessage&>().*member)>;
            return Field::kCapacity;
        },
        field);
}

std::string_view wireText(const LobbyMessage& message, WireField field) {
    return std::visit([&message](auto member) { return (message.*member).view(); }, field);
}

void putWire(LobbyMessage& message, WireField field, std::string_view text) {
    std::visit([&](auto member) { (message.*member).set(text); }, field);
}

// Fills the field to its capacity and claims more with an overlong length byte.
void putOverlong(LobbyMessage& message, WireField field, char fill) {
    std::visit(
        [&](auto member) {
            (message.*member).bytes.fill(fill);
            (message.*member).length = 255;
        },
        field);
}

template <typename Record>
struct TextMapping {
    const char* name;
    WireField wire;
    std::string_view (*read)(const Record&);
    void (*write)(Record&, std::string_view);
    std::size_t decodeCount;
    std::size_t sent;  // what encoding can send at most: record capacity, count and wire cut
    std::size_t recordCapacity;
};

template <typename Record>
void PrintTo(const TextMapping<Record>& m, std::ostream* os) {
    *os << m.name;
}

// Lengths around every boundary of a mapping, from 0 up to `limit`.
template <typename Record>
std::vector<std::size_t> boundaryLengths(const TextMapping<Record>& m, std::size_t limit) {
    std::set<std::size_t> lengths = {0, 1};
    for (const std::size_t edge : {m.decodeCount, m.sent, m.recordCapacity, wireCapacity(m.wire)}) {
        lengths.insert({edge - 1, edge, edge + 1});
    }
    std::vector<std::size_t> result;
    std::copy_if(lengths.begin(), lengths.end(), std::back_inserter(result),
                 [limit](std::size_t n) { return n <= limit; });
    return result;
}

template <typename Record>
std::string mappingName(const testing::TestParamInfo<TextMapping<Record>>& info) {
    return info.param.name;
}

using UserText = TextMapping<UserRecord>;
using RoomText = TextMapping<RoomRecord>;

// The password is left out: it goes through the cipher and has its own tests.
const UserText kUserTexts[] = {
    {"account", &LobbyMessage::sparam1, [](const UserRecord& u) { return u.account.view(); },
     [](UserRecord& u, std::string_view v) { u.account = Gbk(v); }, 20, 20, 20},
    {"nickname", &LobbyMessage::sparam3, [](const UserRecord& u) { return u.nickname.view(); },
     [](UserRecord& u, std::string_view v) { u.nickname = Gbk(v); }, 50, 20, 50},
    {"location", &LobbyMessage::sparam6, [](const UserRecord& u) { return u.location.view(); },
     [](UserRecord& u, std::string_view v) { u.location = Gbk(v); }, 20, 20, 20},
};

const RoomText kRoomTexts[] = {
    {"host", &LobbyMessage::sparam9, [](const RoomRecord& r) { return r.host.view(); },
     [](RoomRecord& r, std::string_view v) { r.host = Gbk(v); }, 20, 20, 20},
    {"roomno", &LobbyMessage::sparam3, [](const RoomRecord& r) { return r.roomno.view(); },
     [](RoomRecord& r, std::string_view v) { r.roomno = Gbk(v); }, 20, 20, 20},
    {"comment", &LobbyMessage::sparam2, [](const RoomRecord& r) { return r.comment.view(); },
     [](RoomRecord& r, std::string_view v) { r.comment = Gbk(v); }, 50, 50, 50},
    {"map", &LobbyMessage::sparam1, [](const RoomRecord& r) { return r.map.view(); },
     [](RoomRecord& r, std::string_view v) { r.map = Gbk(v); }, 50, 50, 50},
    {"status", &LobbyMessage::sparam4, [](const RoomRecord& r) { return r.status.view(); },
     [](RoomRecord& r, std::string_view v) { r.status = Gbk(v); }, 1, 1, 1},
    {"modname", &LobbyMessage::sparam5, [](const RoomRecord& r) { return r.modname.view(); },
     [](RoomRecord& r, std::string_view v) { r.modname = Gbk(v); }, 20, 20, 20},
    {"modcode", &LobbyMessage::sparam6, [](const RoomRecord& r) { return r.modcode.view(); },
     [](RoomRecord& r, std::string_view v) { r.modcode = Gbk(v); }, 2, 2, 2},
    {"password", &LobbyMessage::sparam7, [](const RoomRecord& r) { return r.password.view(); },
     [](RoomRecord& r, std::string_view v) { r.password = Gbk(v); }, 10, 10, 10},
    {"roomref", &LobbyMessage::sparam8, [](const RoomRecord& r) { return r.roomref.view(); },
     [](RoomRecord& r, std::string_view v) { r.roomref = Gbk(v); }, 20, 20, 20},
};

template <typename Record>
Record decode(const LobbyMessage& message) {
    if constexpr (std::is_same_v<Record, UserRecord>) {
        return DecodeUser(message);
    } else {
        return DecodeRoom(message);
    }
}

void encodeRecord(const UserRecord& user, LobbyMessage& message) {
    EncodeUser(user, message);
}
void encodeRecord(const RoomRecord& room, LobbyMessage& message) {
    EncodeRoom(room, message);
}

// Every other text field full of 'n', so a copy that runs past its own field shows. The
// user's password field stays empty: it must hold hex digits.
template <typename Record>
void fillNeighbours(LobbyMessage& message) {
    for (const WireField field :
         {WireField{&LobbyMessage::sparam1}, WireField{&LobbyMessage::sparam2},
          WireField{&LobbyMessage::sparam3}, WireField{&LobbyMessage::sparam4},
          WireField{&LobbyMessage::sparam5}, WireField{&LobbyMessage::sparam6},
          WireField{&LobbyMessage::sparam7}, WireField{&LobbyMessage::sparam8},
          WireField{&LobbyMessage::sparam9}}) {
        putWire(message, field, std::string(wireCapacity(field), 'n'));
    }
    if constexpr (std::is_same_v<Record, UserRecord>) {
        message.sparam2.set(std::string_view());
    }
}

template <typename Record>
void expectDecodeCounts(const TextMapping<Record>& m) {
    for (const std::size_t length : boundaryLengths(m, wireCapacity(m.wire))) {
        LobbyMessage message{};
        fillNeighbours<Record>(message);
        putWire(message, m.wire, pattern(length));
        EXPECT_EQ(m.read(decode<Record>(message)), pattern(std::min(length, m.decodeCount)))
            << "wire text of " << length << " bytes";
    }
}

template <typename Record>
void expectEncodeCounts(const TextMapping<Record>& m, std::size_t shortest) {
    for (const std::size_t length : boundaryLengths(m, m.recordCapacity + 1)) {
        if (length < shortest) {
            continue;
        }
        Record record{};
        m.write(record, pattern(length));
        LobbyMessage message{};
        encodeRecord(record, message);
        EXPECT_EQ(wireText(message, m.wire), pattern(std::min(length, m.sent)))
            << "record text of " << length << " bytes";
    }
}

template <typename Record>
void expectOverlongLengthStaysInField(const TextMapping<Record>& m) {
    LobbyMessage message{};
    fillNeighbours<Record>(message);
    putOverlong(message, m.wire, 'x');
    const std::size_t expected = std::min(wireCapacity(m.wire), m.decodeCount);
    EXPECT_EQ(m.read(decode<Record>(message)), std::string(expected, 'x'));
}

class CodecUserText : public testing::TestWithParam<UserText> {};

TEST_P(CodecUserText, DecodeTakesAtMostItsCount) {
    expectDecodeCounts(GetParam());
}

TEST_P(CodecUserText, EncodeSendsAtMostItsCount) {
    // An empty location is not sent empty; that has its own test.
    expectEncodeCounts(GetParam(), std::string_view(GetParam().name) == "location" ? 1 : 0);
}

TEST_P(CodecUserText, OverlongLengthByteTakesNothingFromTheNextField) {
    expectOverlongLengthStaysInField(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Fields, CodecUserText, testing::ValuesIn(kUserTexts),
                         mappingName<UserRecord>);

class CodecRoomText : public testing::TestWithParam<RoomText> {};

TEST_P(CodecRoomText, DecodeTakesAtMostItsCount) {
    expectDecodeCounts(GetParam());
}

TEST_P(CodecRoomText, EncodeSendsAtMostItsCount) {
    expectEncodeCounts(GetParam(), 0);
}

TEST_P(CodecRoomText, OverlongLengthByteTakesNothingFromTheNextField) {
    expectOverlongLengthStaysInField(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Fields, CodecRoomText, testing::ValuesIn(kRoomTexts),
                         mappingName<RoomRecord>);

TEST(CodecUser, OverlongPasswordLengthByteStopsAtTheField) {
    LobbyMessage message{};
    // Hex of "abcdefghij" padded out with '0' digits to the whole field, and a length byte
    // claiming more; the nickname after it is not hex and must not be read.
    std::string hex = des::EncryptHex("abcdefghij");
    hex.resize(100, '0');
    message.sparam2.set(hex);
    message.sparam2.length = 255;
    message.sparam3.set(std::string_view("nick"));
    EXPECT_EQ(DecodeUser(message).password, Gbk("abcdefghij"));
}

TEST(CodecUser, ThirtyByteNicknameIsSentAsItsFirstTwenty) {
    UserRecord user = sampleUser();
    user.nickname = Gbk(std::string(15, 'a') + "\xD0\xA1\xB0\xAE\xD0\xA1\xB0\xAE" + "bbbbbbb");
    LobbyMessage message{};
    EncodeUser(user, message);
    // A double-byte character is cut in half at the edge, as the wire does.
    EXPECT_EQ(message.sparam3.view(), std::string(15, 'a') + "\xD0\xA1\xB0\xAE\xD0");
}

}  // namespace
}  // namespace ardentis::protocol
