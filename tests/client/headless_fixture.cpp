#include "headless_fixture.h"

#include <atomic>
#include <chrono>

namespace ardentis::forms::testing {
namespace {

using protocol::LobbyMessage;
using protocol::RoomRecord;
using text::Gbk;
using text::zh;

namespace sub = protocol::subcommand;

std::filesystem::path freshLogFile() {
    static std::atomic<int> counter{0};
    const auto path =
        std::filesystem::temp_directory_path() /
        ("ardentis-client-test-" + std::to_string(counter++) + "-" +
         std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + ".log");
    std::filesystem::remove(path);
    return path;
}

}  // namespace

HeadlessFixture::HeadlessFixture()
    : logFile_(freshLogFile()),
      machine_(logFile_),
      headless_(machine_, socket_, testSocket_, loop_),
      client_(headless_.client) {}

HeadlessFixture::~HeadlessFixture() {
    client_.workers.waitAll();
    std::filesystem::remove(logFile_);
}

void HeadlessFixture::startAndConnect(const Gbk& account) {
    machine_.storeSettings(account, Gbk("secret"), Gbk("127.0.0.1"), 8888, true);
    client_.start();
    loop_.advance(std::chrono::milliseconds(2000));
    socket_.completeConnect();
}

void HeadlessFixture::acceptLogin(const Gbk& account) {
    LobbyMessage answer = userRecord(account, zh<"大厅">());
    answer.setKind(protocol::command::kLogin, sub::kLoginOk);
    receive(answer);
}

void HeadlessFixture::logIn(const Gbk& account) {
    machine_.installGame(Gbk(kTaDir));
    startAndConnect(account);
    acceptLogin(account);
    receive(userRecord(account, zh<"大厅">()));
    (void)sentRecords();
}

void HeadlessFixture::receive(const LobbyMessage& message) {
    const auto bytes = message.toBytes();
    socket_.feed(bytes);
    socket_.raiseRead();
}

std::vector<LobbyMessage> HeadlessFixture::sentRecords() {
    client_.workers.waitAll();
    const auto bytes = socket_.sent();
    std::vector<LobbyMessage> records;
    while (consumed_ + protocol::kRecordSize <= bytes.size()) {
        records.push_back(
            *LobbyMessage::fromBytes(std::span(bytes).subspan(consumed_, protocol::kRecordSize)));
        consumed_ += protocol::kRecordSize;
    }
    return records;
}

RoomRecord HeadlessFixture::hostRoom(const std::vector<Gbk>& players) {
    machine_.setVirtualLanAddress(10, 140, 3, 4);
    headless_.main.BitBtn2.click();
    headless_.battleroom.BitBtn1.click();
    RoomRecord created;
    for (const LobbyMessage& record : sentRecords()) {
        if (record.command == protocol::command::kRoom &&
            record.signedSubcommand() == sub::kRoomUpdate) {
            created = protocol::DecodeRoom(record);
        }
    }
    EXPECT_FALSE(created.roomno.empty()) << "the room was not created";
    receive(roomRecord(created));
    for (const Gbk& player : players) {
        receive(userRecord(player, zh<"大厅">()));
        receive(memberRecord(created.roomno, player));
    }
    (void)sentRecords();
    return created;
}

RoomRecord HeadlessFixture::joinRoom(const Gbk& host, const std::vector<Gbk>& others) {
    machine_.setVirtualLanAddress(10, 140, 3, 4);
    const RoomRecord room = openRoom(host, Gbk("R-") + host);
    receive(roomRecord(room));
    doubleClickRoom(room.roomno);
    receive(memberRecord(room.roomno, host));
    for (const Gbk& other : others) {
        receive(memberRecord(room.roomno, other));
    }
    LobbyMessage own = memberRecord(room.roomno, client_.currentUser.account);
    own.setKind(protocol::command::kRoom, sub::kRoomEnter);
    receive(own);
    (void)sentRecords();
    return room;
}

void HeadlessFixture::doubleClickRoom(const Gbk& roomno) {
    const auto row = headless_.main.lvrooms.findCaption(roomno);
    ASSERT_TRUE(row.has_value()) << "no row for room " << roomno.bytes();
    headless_.main.lvrooms.doubleClick(row);
}

void HeadlessFixture::doubleClickNothing() {
    headless_.main.lvrooms.doubleClick(std::nullopt);
}

RoomRecord HeadlessFixture::openRoom(const Gbk& host, const Gbk& roomno) {
    RoomRecord room;
    room.host = host;
    room.roomno = roomno;
    room.comment = zh<"欢迎加入战斗">();
    room.map = Gbk("Gods of War 2");
    room.status = Gbk("0");
    room.modname = Gbk("OTA3.1");
    room.modcode = Gbk("00");
    room.maxplayers = 10;
    room.players = 1;
    room.commander = 2;
    room.los = 1;
    room.watch = 2;
    room.cheat = 1;
    room.mapmode = 2;
    room.startpos = 2;
    room.unitlimit = 30;
    room.metal = 1;
    room.energy = 1;
    room.nettype = 0;
    return room;
}

LobbyMessage HeadlessFixture::userRecord(const Gbk& account, const Gbk& location,
                                         std::int8_t subcommand) {
    protocol::UserRecord user;
    user.account = account;
    user.nickname = account + Gbk("-nick");
    user.location = location;
    LobbyMessage message{};
    protocol::EncodeUser(user, message);
    message.setKind(protocol::command::kUser, subcommand);
    return message;
}

LobbyMessage HeadlessFixture::roomRecord(const RoomRecord& room, std::int8_t subcommand) {
    LobbyMessage message{};
    protocol::EncodeRoom(room, message);
    message.setKind(protocol::command::kRoom, subcommand);
    return message;
}

LobbyMessage HeadlessFixture::memberRecord(const Gbk& roomno, const Gbk& account) {
    LobbyMessage message = userRecord(account, roomno);
    message.setKind(protocol::command::kRoom, sub::kRoomMember);
    message.sparam9.set(roomno);
    return message;
}

LobbyMessage HeadlessFixture::roomChat(const Gbk& roomno, const Gbk& line, const Gbk& sender) {
    LobbyMessage message{};
    message.setKind(protocol::command::kRoom, sub::kRoomChat);
    message.sparam1.set(line);
    message.sparam2.set(roomno);
    message.sparam3.set(sender);
    return message;
}

LobbyMessage HeadlessFixture::playerState(const Gbk& roomno, const Gbk& account,
                                          std::int32_t state) {
    LobbyMessage message{};
    message.setKind(protocol::command::kRoom, sub::kPlayerState);
    message.sparam1.set(roomno);
    message.sparam2.set(account);
    message.iparam1.set(state);
    return message;
}

Kinds HeadlessFixture::kinds(const std::vector<LobbyMessage>& records) {
    Kinds result;
    for (const LobbyMessage& record : records) {
        result.emplace_back(record.command, record.signedSubcommand());
    }
    return result;
}

Gbk HeadlessFixture::lastLine(const MemoryMemo& memo) {
    return memo.line(memo.lineCount() - 1);
}

Gbk HeadlessFixture::readyMark(const Gbk& account) const {
    const auto row = headless_.battleroom.lvRoom.findCaption(account);
    return row ? headless_.battleroom.lvRoom.subItem(*row, 2) : Gbk();
}

}  // namespace ardentis::forms::testing
