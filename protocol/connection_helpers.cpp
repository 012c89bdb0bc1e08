#include "protocol/connection_helpers.h"

#include "protocol/codec.h"
#include "protocol/record_text.h"

namespace ardentis::protocol {

UserRecord TcBaseFunctions::DecodeUser(const LobbyMessage& message) const {
    return protocol::DecodeUser(message);
}

void TcBaseFunctions::EncodeUser(const UserRecord& user, LobbyMessage& message) const {
    protocol::EncodeUser(user, message);
}

RoomRecord TcBaseFunctions::DecodeRoom(const LobbyMessage& message) const {
    return protocol::DecodeRoom(message);
}

void TcBaseFunctions::EncodeRoom(const RoomRecord& room, LobbyMessage& message) const {
    protocol::EncodeRoom(room, message);
}

text::Gbk TcBaseFunctions::CommandText(const LobbyMessage& message) const {
    return protocol::CommandText(message);
}

text::Gbk TcBaseFunctions::RecordText(const LobbyMessage& message) const {
    return protocol::RecordText(message);
}

void TcBaseFunctions::LogRecord(const LobbyMessage& message, Direction direction) const {
    log_.LogRecord(message, direction);
}

void TcBaseFunctions::LogText(const text::Gbk& text) const {
    log_.LogText(text);
}

void TcBaseFunctions::ShowInfo(const text::Gbk& text) const {
    infoBox_.showInfo(text);
}

}  // namespace ardentis::protocol
