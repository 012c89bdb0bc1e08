#pragma once

#include "platform/info_box.h"
#include "protocol/lobby_message.h"
#include "protocol/room_record.h"
#include "protocol/traffic_log.h"
#include "protocol/user_record.h"
#include "text/gbk.h"

namespace ardentis::protocol {

// The per-connection helper: the record codec, the traffic log writers and the information
// box, in one object that a connection reset replaces. The log and the box are borrowed
// and outlive every connection.
class TcBaseFunctions {
  public:
    TcBaseFunctions(const TrafficLog& log, platform::InfoBox& infoBox) noexcept
        : log_(log), infoBox_(infoBox) {}

    // DecodeUser and EncodeUser pass the cipher's failures on unchanged.
    [[nodiscard]] UserRecord DecodeUser(const LobbyMessage& message) const;
    void EncodeUser(const UserRecord& user, LobbyMessage& message) const;
    [[nodiscard]] RoomRecord DecodeRoom(const LobbyMessage& message) const;
    void EncodeRoom(const RoomRecord& room, LobbyMessage& message) const;
    [[nodiscard]] text::Gbk CommandText(const LobbyMessage& message) const;
    [[nodiscard]] text::Gbk RecordText(const LobbyMessage& message) const;

    void LogRecord(const LobbyMessage& message, Direction direction) const;
    void LogText(const text::Gbk& text) const;

    // A modal box with one OK button; returns when the user has dismissed it.
    void ShowInfo(const text::Gbk& text) const;

    // The long-lived log behind LogRecord and LogText, for code that must keep logging
    // after a connection reset has replaced this object.
    [[nodiscard]] const TrafficLog& log() const noexcept { return log_; }

  private:
    const TrafficLog& log_;
    platform::InfoBox& infoBox_;
};

}  // namespace ardentis::protocol
