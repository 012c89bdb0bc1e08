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

using Kind = std::pair<int, int>;
using Kinds = std::vector<Kind>;

// server, record by record.
class HeadlessFixture : public ::testing::Test {
  protected:
    static constexpr const char* kTaDir = "C:\\TA\\";

    HeadlessFixture();
    ~HeadlessFixture() override;

    void startAndConnect(const text::Gbk& account = text::Gbk("alice"));
    void acceptLogin(const text::Gbk& account = text::Gbk("alice"));
    void logIn(const text::Gbk& account = text::Gbk("alice"));
    void receive(const protocol::LobbyMessage& message);
    std::vector<protocol::LobbyMessage> sentRecords();

    protocol::RoomRecord hostRoom(const std::vector<text::Gbk>& players = {});
    protocol::RoomRecord joinRoom(const text::Gbk& host, const std::vector<text::Gbk>& others = {});
    void doubleClickRoom(const text::Gbk& roomno);
    void doubleClickNothing();

    [[nodiscard]] static protocol::RoomRecord openRoom(const text::Gbk& host,
                                                       const text::Gbk& roomno);
    [[nodiscard]] static protocol::LobbyMessage userRecord(const text::Gbk& account,
                                                           const text::Gbk& location,
                                                           std::int8_t sub = 0);
    [[nodiscard]] static protocol::LobbyMessage roomRecord(const protocol::RoomRecord& room,
                                                           std::int8_t sub = 0);
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
