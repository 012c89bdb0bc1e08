#include "server/outgoing.h"

#include <string>

#include "protocol/codec.h"
#include "text/code_page.h"

namespace ardentis::server {
namespace {

const std::string& noticePrefix() {
    static const std::string prefix = text::gbk("作战指挥室>>").bytes();
    return prefix;
}

bool startsWithPair(std::string_view line, std::string_view first, std::string_view second) {
    return line.starts_with(first) && line.substr(first.size()).starts_with(second);
}

}  // namespace

protocol::LobbyMessage emptyMessage(std::uint8_t command, std::int8_t subcommand) {
    protocol::LobbyMessage message{};
    message.setKind(command, subcommand);
    return message;
}

protocol::LobbyMessage userMessage(std::uint8_t command, std::int8_t subcommand,
                                   const protocol::UserRecord& user) {
    protocol::UserRecord copy = user;
    copy.password = text::Gbk();
    protocol::LobbyMessage message = emptyMessage(command, subcommand);
    protocol::EncodeUser(copy, message);
    return message;
}

protocol::LobbyMessage roomMessage(std::uint8_t command, std::int8_t subcommand,
                                   const protocol::RoomRecord& room) {
    protocol::LobbyMessage message = emptyMessage(command, subcommand);
    protocol::EncodeRoom(room, message);
    return message;
}

bool isOwnLobbyLine(std::string_view account, std::string_view line) {
    return !account.empty() && startsWithPair(line, account, ">>");
}

bool isOwnRoomLine(std::string_view account, std::string_view line) {
    return isOwnLobbyLine(account, line) ||
           (!account.empty() && startsWithPair(line, noticePrefix(), account));
}

std::string_view lobbyLocation() {
    static const std::string location = text::gbk("大厅").bytes();
    return location;
}

}  // namespace ardentis::server
