// Writes the fuzz targets' seed corpus: the kinds of input the tests use, in each target's
// input layout, so fuzzing starts from inputs that reach deep into the parsers.
// Usage: fuzz_seeds <corpus directory>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/fake/fake_shared_memory.h"
#include "platform/fake/simulated_recorder.h"
#include "protocol/codec.h"
#include "protocol/des.h"
#include "protocol/lobby_message.h"
#include "protocol/message_kind.h"
#include "text/code_page.h"

namespace {

using namespace ardentis;
namespace cmd = protocol::command;
namespace sub = protocol::subcommand;
using protocol::LobbyMessage;

std::filesystem::path root;

void write(std::string_view target, std::string_view name, std::string_view bytes) {
    const auto folder = root / target;
    std::filesystem::create_directories(folder);
    std::ofstream(folder / ("seed-" + std::string(name)), std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string bytesOf(const LobbyMessage& message) {
    const auto bytes = message.toBytes();
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

LobbyMessage kind(std::uint8_t command, std::int8_t subcommand) {
    LobbyMessage message{};
    message.setKind(command, subcommand);
    return message;
}

protocol::RoomRecord room(std::string_view host) {
    protocol::RoomRecord record;
    record.host = text::Gbk(host);
    record.roomno = text::Gbk("R-" + std::string(host));
    record.comment = text::gbk("欢迎加入战斗");
    record.map = text::Gbk("Gods of War 2");
    record.status = text::Gbk("0");
    record.modname = text::Gbk("OTA3.1");
    record.modcode = text::Gbk("00");
    record.maxplayers = 10;
    record.players = 1;
    record.unitlimit = 5;
    return record;
}

std::vector<LobbyMessage> records(std::string_view account) {
    std::vector<LobbyMessage> all;
    LobbyMessage login = kind(cmd::kLogin, sub::kLogin);
    login.sparam1.set(account);
    login.sparam2.set(protocol::des::EncryptHex("secret"));
    all.push_back(login);
    protocol::UserRecord user;
    user.account = text::Gbk(account);
    user.nickname = text::gbk("指挥官");
    user.location = text::gbk("大厅");
    LobbyMessage update = kind(cmd::kUser, sub::kUserUpdate);
    protocol::EncodeUser(user, update);
    all.push_back(update);
    LobbyMessage chat = kind(cmd::kLobbyChat, sub::kLobbyChat);
    chat.sparam1.set(std::string(account) + ">>hello !BB");
    all.push_back(chat);
    const protocol::RoomRecord own = room(account);
    for (const std::int8_t roomKind : {sub::kRoomUpdate, sub::kRoomOptions, sub::kRoomClosed}) {
        LobbyMessage message = kind(cmd::kRoom, roomKind);
        protocol::EncodeRoom(own, message);
        all.push_back(message);
    }
    LobbyMessage join = kind(cmd::kRoom, sub::kRoomJoin);
    join.sparam1.set("R-host");
    all.push_back(join);
    LobbyMessage roomChat = kind(cmd::kRoom, sub::kRoomChat);
    roomChat.sparam1.set(std::string(account) + ">>ready?");
    roomChat.sparam2.set("R-host");
    all.push_back(roomChat);
    for (const std::int8_t roomKind : {sub::kPlayerState, sub::kGameStart, sub::kRoomLeave}) {
        LobbyMessage message = kind(cmd::kRoom, roomKind);
        message.sparam1.set(account);
        message.sparam2.set("R-host");
        message.iparam1.set(1);
        all.push_back(message);
    }
    return all;
}

void recordSeeds() {
    int n = 0;
    std::string stream;
    std::string arriving;  // each record, then the time passing after it in tens of ms
    for (const LobbyMessage& message : records("host")) {
        const std::string bytes = bytesOf(message);
        write("record_codec", std::to_string(n++), bytes);
        stream += bytes;
        arriving += bytes + '\x64';
    }
    write("client_records", "lobby", arriving);
    // Pieces of 1, 100 and 376 bytes; receive steps that block and cut.
    write("record_channel", "stream",
          std::string("\x03\x00\x21\x7d\x04\x00\x10\x80\x01", 9) + stream);
    // Two peers: the host opens a room, the other joins, they talk, start and leave.
    std::string session(1, '\x00');
    const auto send = [&session](std::size_t peer, const LobbyMessage& message) {
        // The record in two reads: 375 bytes (size byte 187), then 1 (size byte 0).
        session += static_cast<char>(peer);
        session += static_cast<char>(187);
        session += bytesOf(message).substr(0, 375);
        session += static_cast<char>(peer);
        session += '\0';
        session += bytesOf(message).substr(375);
    };
    const auto host = records("player0");
    const auto guest = records("player1");
    send(0, host[1]);
    send(0, host[3]);
    LobbyMessage join = guest[6];
    join.sparam1.set("R-player0");
    send(1, join);
    send(0, host[4]);
    for (std::size_t i = 7; i < guest.size(); ++i) {
        LobbyMessage message = guest[i];
        message.sparam2.set("R-player0");
        send(1, message);
    }
    send(0, host[2]);
    send(1, guest[2]);
    session += '\xf1';  // peer 1's connection ends
    write("server_lobby", "room", session);
}

void textSeeds() {
    write("gbk", "ascii", "player1>>hello");
    write("gbk", "chinese", text::gbk("大厅 欢迎加入战斗 指挥官").bytes());
    write("gbk", "euro-and-edges", std::string("\x80\x81\x40\xfe\xfe\xa1\xa1", 7));
    write("gbk", "utf8", "\xe5\xa4\xa7\xe5\x8e\x85");
    const std::string hex = protocol::des::EncryptHex("secret");
    write("cipher_hex", "stored", std::string("qjx\0", 4) + hex + std::string("\0secret", 7));
    write("cipher_hex", "lower",
          std::string("qjx\0", 4) + "0a1b2c3d4e5f6071" + std::string("\0\xd6\xb8\xbb\xd3", 5));
}

void fileSeeds() {
    write("mods_file", "lines",
          "# mods\r\n40:Escalation;escalation.exe,totala.exe\r\n00:OTA again;x.exe\r\n"
          "41 :Trailing ;a.exe\n\r\nbad line\r42:;\r\n");
    // Each value: a kind byte (1 text, 2 number), then the text up to NUL.
    std::string values;
    const std::string password = protocol::des::EncryptHex("secret");
    for (const std::string_view value :
         {"player1", password.c_str(), "0", "C:\\TA\\", "", "127.0.0.1", "8888", "1", "1"}) {
        values += '\x01';
        values += value;
        values += '\0';
    }
    write("settings_values", "stored", values + "C:\\TA\\" + std::string(1, '\0') + "C:\\SC\\");
    platform::FakeSharedMemory memory;
    platform::SimulatedRecorder recorder(memory);
    recorder.setState(1);
    recorder.setPlayer(0, "player0");
    recorder.setPlayer(1, "player1");
    recorder.setAllied(1, true);
    std::string block(platform::SimulatedRecorder::kSize, '\0');
    const auto view = memory.openMapping(platform::SimulatedRecorder::kMappingName, block.size());
    (*view)->read(std::as_writable_bytes(std::span(block)));
    write("recorder_block", "two-players", block);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds <corpus directory>\n");
        return 2;
    }
    root = argv[1];
    recordSeeds();
    textSeeds();
    fileSeeds();
    return 0;
}
