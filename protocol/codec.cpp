#include "protocol/codec.h"

#include <cstddef>
#include <cstdint>
#include <string>

#include "protocol/des.h"
#include "text/code_page.h"
#include "text/gbk.h"

namespace ardentis::protocol {
namespace {

// Byte counts copied between record and wire where they differ from the field capacities;
// decoding and encoding do not agree, and both sides depend on that.
namespace user_count {
constexpr std::size_t kAccountDecode = 20;
constexpr std::size_t kAccountEncode = 100;
constexpr std::size_t kPasswordDecode = 10;
constexpr std::size_t kPasswordEncode = 100;
constexpr std::size_t kNicknameDecode = 50;
constexpr std::size_t kNicknameEncode = 20;
constexpr std::size_t kLocation = 20;
}  // namespace user_count

namespace room_count {
constexpr std::size_t kHost = 20;
constexpr std::size_t kRoomno = 20;
constexpr std::size_t kCommentDecode = 50;
constexpr std::size_t kCommentEncode = 100;
constexpr std::size_t kMapDecode = 50;
constexpr std::size_t kMapEncode = 100;
constexpr std::size_t kStatusDecode = 1;
constexpr std::size_t kStatusEncode = 20;
constexpr std::size_t kModname = 20;
constexpr std::size_t kModcodeDecode = 2;
constexpr std::size_t kModcodeEncode = 20;
constexpr std::size_t kPasswordDecode = 10;
constexpr std::size_t kPasswordEncode = 20;
constexpr std::size_t kRoomref = 20;
}  // namespace room_count

// The 32-bit fields that carry 8-bit values: only the lowest byte counts when reading.
std::int8_t lowestByte(const LeInt32& field) {
    return static_cast<std::int8_t>(static_cast<std::uint8_t>(field.get() & 0xFF));
}

// The location a user without one is announced in.
const text::Gbk& lobbyLocation() {
    static const text::Gbk kLobby = text::gbk("大厅");
    return kLobby;
}

}  // namespace

UserRecord DecodeUser(const LobbyMessage& message) {
    UserRecord user;
    user.account = message.sparam1.text(user_count::kAccountDecode);
    user.password =
        text::Gbk(des::DecryptHex(message.sparam2.view())).left(user_count::kPasswordDecode);
    user.nickname = message.sparam3.text(user_count::kNicknameDecode);
    user.location = message.sparam6.text(user_count::kLocation);
    user.uflag = lowestByte(message.iparam1);
    user.uvalue1 = message.iparam2.get();
    user.uvalue2 = message.iparam3.get();
    user.uvalue3 = message.iparam4.get();
    return user;
}

void EncodeUser(const UserRecord& user, LobbyMessage& message) {
    // Enciphered first: a password the cipher refuses leaves the record as it was.
    const std::string password = des::EncryptHex(user.password.view());
    message.sparam1.set(user.account.gbk(), user_count::kAccountEncode);
    message.sparam2.set(password, user_count::kPasswordEncode);
    message.sparam3.set(user.nickname.gbk(), user_count::kNicknameEncode);
    message.sparam6.set(user.location.empty() ? lobbyLocation() : user.location.gbk(),
                        user_count::kLocation);
    message.iparam1.set(user.uflag);
    message.iparam2.set(user.uvalue1);
    message.iparam3.set(user.uvalue2);
    message.iparam4.set(user.uvalue3);
}

RoomRecord DecodeRoom(const LobbyMessage& message) {
    RoomRecord room;
    room.host = message.sparam9.text(room_count::kHost);
    room.roomno = message.sparam3.text(room_count::kRoomno);
    room.comment = message.sparam2.text(room_count::kCommentDecode);
    room.map = message.sparam1.text(room_count::kMapDecode);
    room.status = message.sparam4.text(room_count::kStatusDecode);
    room.modname = message.sparam5.text(room_count::kModname);
    room.modcode = message.sparam6.text(room_count::kModcodeDecode);
    room.password = message.sparam7.text(room_count::kPasswordDecode);
    room.roomref = message.sparam8.text(room_count::kRoomref);
    room.maxplayers = lowestByte(message.iparam1);
    room.players = lowestByte(message.iparam2);
    room.commander = lowestByte(message.iparam3);
    room.los = lowestByte(message.iparam4);
    room.watch = message.iparam5.get();
    room.cheat = message.iparam6.get();
    room.mapmode = message.iparam7.get();
    room.startpos = message.iparam8.get();
    room.unitlimit = message.iparam9.get();
    room.metal = message.iparam10.get();
    room.energy = message.iparam11.get();
    room.nettype = message.roomnettype.get();
    return room;
}

void EncodeRoom(const RoomRecord& room, LobbyMessage& message) {
    message.sparam9.set(room.host.gbk(), room_count::kHost);
    message.sparam3.set(room.roomno.gbk(), room_count::kRoomno);
    message.sparam2.set(room.comment.gbk(), room_count::kCommentEncode);
    message.sparam1.set(room.map.gbk(), room_count::kMapEncode);
    message.sparam4.set(room.status.gbk(), room_count::kStatusEncode);
    message.sparam5.set(room.modname.gbk(), room_count::kModname);
    message.sparam6.set(room.modcode.gbk(), room_count::kModcodeEncode);
    message.sparam7.set(room.password.gbk(), room_count::kPasswordEncode);
    message.sparam8.set(room.roomref.gbk(), room_count::kRoomref);
    message.iparam1.set(room.maxplayers);
    message.iparam2.set(room.players);
    message.iparam3.set(room.commander);
    message.iparam4.set(room.los);
    message.iparam5.set(room.watch);
    message.iparam6.set(room.cheat);
    message.iparam7.set(room.mapmode);
    message.iparam8.set(room.startpos);
    message.iparam9.set(room.unitlimit);
    message.iparam10.set(room.metal);
    message.iparam11.set(room.energy);
    message.roomnettype.set(room.nettype);
}

}  // namespace ardentis::protocol
