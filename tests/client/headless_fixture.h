#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "platform/fake/manual_event_loop.h"
#include "platform/fake/scripted_socket.h"
#include "protocol/codec.h"
#include "protocol/lobby_message.h"
#include "protocol/message_kind.h"
#include "protocol/room_record.h"
#include "text/code_page.h"
#include "text/literal.h"
#include "ui/forms/headless/headless_client.h"

namespace ardentis::text {

// Failure messages show a text as the user would read it.
inline void PrintTo(const Gbk& value, std::ostream* os) {
    const auto utf8 = toUtf8(value);
    *os << '"' << (utf8 ? *utf8 : value.bytes()) << '"';
}

}  // namespace ardentis::text

namespace ardentis::forms::testing {

// A record's two command bytes, with the sub-command signed as the protocol reads it.
using Kind = std::pair<int, int>;
using Kinds = std::vector<Kind>;

// One headless client on a scripted lobby socket and a manual clock: the test plays the
// server, record by record.
class HeadlessFixture : public ::testing::Test {
  protected:
    // Where the headless machine has Total Annihilation.
    static constexpr const char* kTaDir = "C:\\TA\\";

    HeadlessFixture();
    ~HeadlessFixture() override;

    // Program start, the splash's 2000 ms, and the automatic log-in up to the connect.
    void startAndConnect(const text::Gbk& account = text::Gbk("alice"));
    // The server's answer to the log-in.
    void acceptLogin(const text::Gbk& account = text::Gbk("alice"));
    // Total Annihilation installed, started, logged in and listed in the lobby; the
    // records sent so far are taken.
    void logIn(const text::Gbk& account = text::Gbk("alice"));
    // One record from the server, and the read event that takes it.
    void receive(const protocol::LobbyMessage& message);
    // The records the client has sent since the last call, in order.
    std::vector<protocol::LobbyMessage> sentRecords();

    // After logIn: the user opens the battle room window, creates a room (with a
    // virtual-LAN address), the server lists it and the players enter it. Returns the
    // room as created; the records sent so far are taken.
    protocol::RoomRecord hostRoom(const std::vector<text::Gbk>& players = {});
    // After logIn: the server lists the host's room, the user double-clicks it (with a
    // virtual-LAN address), and the host, the others and the user enter it in that order.
    // Returns the room; the records sent so far are taken.
    protocol::RoomRecord joinRoom(const text::Gbk& host, const std::vector<text::Gbk>& others = {});
    // The user double-clicks the row of the room, or an empty part of the list.
    void doubleClickRoom(const text::Gbk& roomno);
    void doubleClickNothing();

    // An open room of the installed game, with the options a new room carries.
    [[nodiscard]] static protocol::RoomRecord openRoom(const text::Gbk& host,
                                                       const text::Gbk& roomno);
    [[nodiscard]] static protocol::LobbyMessage userRecord(const text::Gbk& account,
                                                           const text::Gbk& location,
                                                           std::int8_t sub = 0);
    [[nodiscard]] static protocol::LobbyMessage roomRecord(const protocol::RoomRecord& room,
                                                           std::int8_t sub = 0);
    // A member of the room, as the server announces each one (4, 11).
    [[nodiscard]] static protocol::LobbyMessage memberRecord(const text::Gbk& roomno,
                                                             const text::Gbk& account);
    [[nodiscard]] static protocol::LobbyMessage roomChat(const text::Gbk& roomno,
                                                         const text::Gbk& line,
                                                         const text::Gbk& sender);
    [[nodiscard]] static protocol::LobbyMessage playerState(const text::Gbk& roomno,
                                                            const text::Gbk& account,
                                                            std::int32_t state);

    [[nodiscard]] static Kinds kinds(const std::vector<protocol::LobbyMessage>& records);
    [[nodiscard]] static text::Gbk lastLine(const MemoryMemo& memo);
    // The ready mark of the player's row in the battle room, empty without a row.
    [[nodiscard]] text::Gbk readyMark(const text::Gbk& account) const;

    std::filesystem::path logFile_;
    HeadlessMachine machine_;
    platform::ScriptedSocket socket_;
    platform::ScriptedSocket testSocket_;
    platform::ManualEventLoop loop_;
    HeadlessClient headless_;
    Client& client_;
    std::size_t consumed_ = 0;
};

}  // namespace ardentis::forms::testing
