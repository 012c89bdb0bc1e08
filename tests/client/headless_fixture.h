#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <utility>
#include <vector>

#include "platform/fake/manual_event_loop.h"
#include "platform/fake/scripted_socket.h"
#include "protocol/codec.h"
#include "protocol/lobby_message.h"
#include "protocol/message_kind.h"
#include "protocol/room_record.h"
#include "tests/support/scratch_directory.h"
#include "text/literal.h"
#include "ui/forms/headless/headless_client.h"

namespace ardentis::forms::testing {

using Kinds = std::vector<std::pair<int, int>>;
using Records = std::vector<protocol::LobbyMessage>;
using Texts = std::vector<text::Gbk>;
using protocol::LobbyMessage;
using protocol::RoomRecord;
using text::Gbk;
using text::zh;
namespace sub = protocol::subcommand;

// A whole headless client on scripted sockets and a manual clock; the test plays the server.
class HeadlessFixture : public ::testing::Test {
  protected:
    static constexpr const char* kTaDir = "C:\\TA\\";

    ~HeadlessFixture() override { client_.workers.waitAll(); }

    // Starts the client with stored settings; the splash passes, the socket connects.
    void start(bool autoLogin, bool connect = false, const Gbk& account = Gbk("alice")) {
        machine_.storeSettings(account, Gbk("secret"), Gbk("127.0.0.1"), 8888, autoLogin);
        client_.start();
        loop_.advance(std::chrono::milliseconds(2000));
        if (connect) {
            socket_.completeConnect();
        }
    }
    void acceptLogin(const Gbk& account = Gbk("alice")) {
        receive(userRecord(account, zh<"大厅">(), sub::kLoginOk, protocol::command::kLogin));
    }
    // Installed game, connected, logged in and listed in the lobby; nothing left unread.
    void logIn(const Gbk& account = Gbk("alice")) {
        machine_.installGame(Gbk(kTaDir));
        start(true, true, account);
        acceptLogin(account);
        receive(userRecord(account, zh<"大厅">()));
        (void)sentRecords();
    }
    void receive(const LobbyMessage& message) {
        socket_.feed(message.toBytes());
        socket_.raiseRead();
    }
    // The records sent since the last call.
    Records sentRecords() {
        client_.workers.waitAll();
        const auto bytes = socket_.sent();
        Records records;
        for (; consumed_ + protocol::kRecordSize <= bytes.size();
             consumed_ += protocol::kRecordSize) {
            records.push_back(*LobbyMessage::fromBytes(
                std::span(bytes).subspan(consumed_, protocol::kRecordSize)));
        }
        return records;
    }

    // Hosts a room (with `mod` chosen, if given) that `players` then enter and get ready in.
    RoomRecord hostRoom(const Texts& players = {}, const Gbk& mod = {}) {
        machine_.setVirtualLanAddress(10, 140, 3, 4);
        main_.BitBtn2.click();
        for (int index = 0; index < battle_.mods.count(); ++index) {
            if (battle_.mods.item(index) == mod) {
                battle_.mods.setItemIndex(index);
            }
        }
        battle_.BitBtn1.click();
        const RoomRecord room = protocol::DecodeRoom(sentRecords().at(0));  // the room created
        receive(roomRecord(room));
        for (const Gbk& player : players) {
            receive(userRecord(player, zh<"大厅">()));
            receive(memberRecord(room.roomno, player));
            receive(roomMessage(sub::kPlayerState, room.roomno, player));
        }
        (void)sentRecords();
        return room;
    }
    // Joins `room` (listed first) with its host and `others` inside.
    RoomRecord joinRoom(const RoomRecord& room, const Texts& others = {}) {
        machine_.setVirtualLanAddress(10, 140, 3, 4);
        receive(roomRecord(room));
        doubleClickRoom(room.roomno);
        receive(memberRecord(room.roomno, room.host));
        for (const Gbk& other : others) {
            receive(memberRecord(room.roomno, other));
        }
        receive(memberRecord(room.roomno, client_.currentUser.account, sub::kRoomEnter));
        (void)sentRecords();
        return room;
    }
    void doubleClickRoom(const Gbk& roomno) {
        const auto row = main_.lvrooms.findCaption(roomno);
        ASSERT_TRUE(row.has_value()) << "no row for room " << roomno.bytes();
        main_.lvrooms.doubleClick(row);
    }

    static RoomRecord openRoom(const Gbk& host, const Gbk& roomno = {}) {
        RoomRecord room;
        room.host = host;
        room.roomno = roomno.empty() ? Gbk("R-") + host : roomno;
        room.comment = zh<"欢迎加入战斗">();
        room.map = Gbk("Gods of War 2");
        room.status = Gbk("0");
        room.modname = Gbk("OTA3.1");
        room.modcode = Gbk("00");
        room.maxplayers = 10;
        room.players = room.los = room.cheat = room.metal = room.energy = 1;
        room.commander = room.watch = room.mapmode = room.startpos = 2;
        room.unitlimit = 30;
        return room;
    }
    static LobbyMessage userRecord(const Gbk& account, const Gbk& location,
                                   std::int8_t subcommand = sub::kUserUpdate,
                                   std::uint8_t command = protocol::command::kUser) {
        LobbyMessage message{};
        protocol::EncodeUser({account, {}, account + Gbk("-nick"), location}, message);
        message.setKind(command, subcommand);
        return message;
    }
    static LobbyMessage memberRecord(const Gbk& roomno, const Gbk& account,
                                     std::int8_t subcommand = sub::kRoomMember) {
        LobbyMessage message = userRecord(account, roomno, subcommand, protocol::command::kRoom);
        message.sparam9.set(roomno);
        return message;
    }
    static LobbyMessage roomRecord(const RoomRecord& room,
                                   std::int8_t subcommand = sub::kRoomUpdate) {
        LobbyMessage message{};
        protocol::EncodeRoom(room, message);
        message.setKind(protocol::command::kRoom, subcommand);
        return message;
    }
    // A room record of the text fields and the number most kinds carry (a chat line: the line,
    // the room, the sender; a player's state: the room, the player, {}, the state).
    static LobbyMessage roomMessage(std::int8_t subcommand, const Gbk& sparam1,
                                    const Gbk& sparam2 = {}, const Gbk& sparam3 = {},
                                    std::int32_t iparam1 = 0) {
        LobbyMessage message{};
        message.setKind(protocol::command::kRoom, subcommand);
        message.sparam1.set(sparam1);
        message.sparam2.set(sparam2);
        message.sparam3.set(sparam3);
        message.iparam1.set(iparam1);
        return message;
    }

    static Texts params(const LobbyMessage& record) {
        return {record.sparam1.text(), record.sparam2.text(), record.sparam3.text()};
    }
    static Kinds kinds(const Records& records) {
        Kinds result;
        for (const LobbyMessage& record : records) {
            result.emplace_back(record.command, record.signedSubcommand());
        }
        return result;
    }
    // The room records of one kind among `records`.
    static Records ofKind(Records records, int subcommand) {
        std::erase_if(records, [&](const LobbyMessage& record) {
            return kinds({record}) != Kinds{{protocol::command::kRoom, subcommand}};
        });
        return records;
    }
    static Gbk lastLine(const MemoryMemo& memo) { return memo.line(memo.lineCount() - 1); }
    [[nodiscard]] Gbk readyMark(const Gbk& account) const {
        const auto row = battle_.lvRoom.findCaption(account);
        return row ? battle_.lvRoom.subItem(*row, 2) : Gbk();
    }
    [[nodiscard]] bool inRoom() const { return client_.connection()->lobby.myroom != nullptr; }

    ardentis::testing::ScratchDirectory scratch_;  // the traffic log's
    HeadlessMachine machine_{scratch_ / "traffic.log"};
    platform::ScriptedSocket socket_;
    platform::ScriptedSocket testSocket_;
    platform::ManualEventLoop loop_;
    HeadlessClient headless_{machine_, socket_, testSocket_, loop_};
    Client& client_ = headless_.client;
    MemoryMainWindow& main_ = headless_.main;
    MemoryBattleroomWindow& battle_ = headless_.battleroom;
    Texts& shown_ = machine_.infoBox.shown;
    std::size_t consumed_ = 0;
};

}  // namespace ardentis::forms::testing
