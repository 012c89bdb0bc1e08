#include "tests/server/lobby_records.h"

#include <algorithm>

#include "protocol/codec.h"
#include "protocol/des.h"
#include "text/code_page.h"

namespace ardentis::server::testing {

LobbyMessage loginRecord(std::string_view account, std::string_view password) {
    LobbyMessage m{};
    m.setKind(0, 0);
    m.sparam1.set(account);
    m.sparam2.set(protocol::des::EncryptHex(password));
    return m;
}

LobbyMessage lobbyChat(std::string_view line) {
    LobbyMessage m{};
    m.setKind(1, 0);
    m.sparam1.set(line);
    return m;
}

LobbyMessage userUpdate(std::string_view account, std::string_view nickname,
                        std::string_view location, std::string_view password) {
    protocol::UserRecord user;
    user.account = text::Gbk(account);
    user.password = text::Gbk(password);
    user.nickname = text::Gbk(nickname);
    user.location = text::Gbk(location);
    user.uflag = 99;
    user.uvalue1 = 12345;
    LobbyMessage m{};
    protocol::EncodeUser(user, m);
    m.setKind(2, 0);
    return m;
}

protocol::RoomRecord room(std::string_view roomno, std::string_view host, std::int8_t maxplayers) {
    protocol::RoomRecord r;
    r.host = text::Gbk(host);
    r.roomno = text::Gbk(roomno);
    r.comment = text::Gbk("come in");
    r.map = text::Gbk("Coast To Coast");
    r.status = text::Gbk("0");
    r.modname = text::Gbk("TA");
    r.modcode = text::Gbk("TA");
    r.maxplayers = maxplayers;
    r.players = 1;
    r.commander = 2;
    return r;
}

LobbyMessage roomRecord(std::int8_t subcommand, const protocol::RoomRecord& r) {
    LobbyMessage m{};
    protocol::EncodeRoom(r, m);
    m.setKind(4, subcommand);
    return m;
}

namespace {

LobbyMessage pair(std::int8_t sub, std::string_view one, std::string_view two) {
    LobbyMessage m{};
    m.setKind(4, sub);
    m.sparam1.set(one);
    m.sparam2.set(two);
    return m;
}

}  // namespace

LobbyMessage roomJoin(std::string_view roomno, std::string_view account) {
    return pair(10, roomno, account);
}

LobbyMessage roomLeave(std::string_view roomno, std::string_view account) {
    return pair(12, roomno, account);
}

LobbyMessage roomChat(std::string_view line, std::string_view roomno, std::string_view account) {
    LobbyMessage m = pair(5, line, roomno);
    m.sparam3.set(account);
    return m;
}

LobbyMessage playerState(std::string_view roomno, std::string_view account, std::int32_t state) {
    LobbyMessage m = pair(16, roomno, account);
    m.iparam1.set(state);
    return m;
}

LobbyMessage gameStart(std::string_view roomno, std::string_view address,
                       std::string_view account) {
    LobbyMessage m = pair(20, roomno, address);
    m.sparam3.set(account);
    return m;
}

bool isKind(const LobbyMessage& message, std::uint8_t command, std::int8_t sub) {
    return message.command == command && message.signedSubcommand() == sub;
}

bool isUser(const LobbyMessage& message, std::uint8_t command, std::int8_t sub,
            std::string_view account) {
    return isKind(message, command, sub) && message.sparam1.view() == account;
}

bool isRoom(const LobbyMessage& message, std::int8_t sub, std::string_view roomno) {
    return isKind(message, 4, sub) && message.sparam3.view() == roomno;
}

std::size_t count(const std::vector<LobbyMessage>& seen, std::uint8_t command, std::int8_t sub) {
    return static_cast<std::size_t>(std::ranges::count_if(
        seen, [&](const LobbyMessage& m) { return isKind(m, command, sub); }));
}

std::string notice() {
    return text::gbk("作战指挥室>>").bytes();
}
std::string lobbyWord() {
    return text::gbk("大厅").bytes();
}

}  // namespace ardentis::server::testing
