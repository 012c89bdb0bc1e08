// The lobby window on the headless client: the user and room lists, moves announced in
// the chat, the checks before a join, chat lines typed and received, alert sounds.
#include <gtest/gtest.h>

#include <future>
#include <optional>
#include <string>
#include <system_error>
#include <thread>

#include "headless_fixture.h"

namespace ardentis::forms::testing {
namespace {

const Gbk kLobby = zh<"大厅">();

Gbk announce(const char* account, const Gbk& rest) {
    return zh<"游戏大厅>>">() + Gbk(account) + rest;
}

class Lobby : public HeadlessFixture {};

// A user's record arrives twice: first from `from`, then from `to`. R1 (bob's) and R2
// (carol's) are listed; R9 is no room the client knows.
TEST_F(Lobby, SecondRecordOfAUserAnnouncesHisMoveAtMostOnce) {
    struct Move {
        const char* account;
        Gbk from;
        Gbk to;
        std::optional<Gbk> line;
    };
    const Gbk back = zh<"返回游戏大厅。">();
    const Move moves[] = {
        {"bob", kLobby, Gbk("R1"), announce("bob", zh<"建立了的房间。">())},
        {"bob", Gbk("R1"), kLobby, announce("bob", back)},
        {"dave", Gbk("R1"), kLobby, announce("dave", back)},
        {"dave", Gbk("R1"), Gbk("R9"), announce("dave", back)},
        {"dave", kLobby, Gbk("R1"), announce("dave", zh<"进入">() + Gbk("bob") + zh<"的房间。">())},
        {"dave", Gbk("R1"), Gbk("R2"), std::nullopt},
        {"bob", Gbk("R2"), Gbk("R1"), std::nullopt},
        {"dave", kLobby, kLobby, std::nullopt},
        {"dave", kLobby, Gbk("R9"), std::nullopt},
        {"bob", Gbk("R1"), Gbk("R9"), std::nullopt},
        {"dave", Gbk("R9"), Gbk("R2"), std::nullopt}};
    logIn();
    receive(roomRecord(openRoom(Gbk("bob"), Gbk("R1"))));
    receive(roomRecord(openRoom(Gbk("carol"), Gbk("R2"))));
    const MemoryMemo& chat = main_.MemRecev;
    for (const Move& move : moves) {
        SCOPED_TRACE(move.account + (" from " + move.from.bytes()) + " to " + move.to.bytes());
        const int before = chat.lineCount();
        receive(userRecord(Gbk(move.account), move.from));
        EXPECT_EQ(chat.lineCount(), before) << "the first record of a user adds no line";
        receive(userRecord(Gbk(move.account), move.to));
        EXPECT_EQ(chat.lineCount(), before + (move.line ? 1 : 0));
        EXPECT_EQ(lastLine(chat), move.line.value_or(lastLine(chat)));
        const auto row = main_.lvlobby.findCaption(Gbk(move.account));
        ASSERT_TRUE(row.has_value());
        EXPECT_EQ(main_.lvlobby.subItem(*row, 2), move.to);
        receive(userRecord(Gbk(move.account), kLobby, 1));  // gone: his next record is a first
    }
}

TEST_F(Lobby, UsersComeAndGoAndChatArrives) {
    logIn();
    receive(userRecord(Gbk("bob"), kLobby));
    ASSERT_EQ(main_.lvlobby.rowCount(), 2);
    LobbyMessage chat{};
    chat.setKind(1, 7);
    chat.sparam1.set(Gbk("bob>>hi"));
    receive(chat);
    EXPECT_EQ(lastLine(main_.MemRecev), Gbk("bob>>hi"));
    receive(userRecord(Gbk("bob"), kLobby, 1));
    EXPECT_EQ(main_.lvlobby.rowCount(), 1);
    EXPECT_EQ(lastLine(main_.MemRecev), announce("bob", zh<"离开大厅。">()));
    const int lines = main_.MemRecev.lineCount();
    receive(userRecord(Gbk("nobody"), kLobby, 1));  // gone, but never listed
    EXPECT_EQ(main_.MemRecev.lineCount(), lines);
    LobbyMessage renamed = userRecord(Gbk("alice"), kLobby);
    renamed.sparam3.set(Gbk("Queen"));
    receive(renamed);
    EXPECT_EQ(client_.currentUser.nickname, Gbk("Queen"));
    EXPECT_EQ(main_.lvlobby.subItem(0, 1), Gbk("Queen"));
}

TEST_F(Lobby, RoomRowShowsStateCountPasswordMarkAndNetworkNameAFullRoomItsHost) {
    logIn();
    RoomRecord room = openRoom(Gbk("bob"), Gbk("R1"));
    room.players = 3;
    room.maxplayers = 8;
    room.status = Gbk("1");
    room.password = Gbk("pw");
    room.nettype = 1;
    receive(roomRecord(room));
    const MemoryListView& rooms = main_.lvrooms;
    EXPECT_EQ((Texts{rooms.subItem(0, 1), rooms.subItem(0, 5), rooms.subItem(0, 6),
                     rooms.subItem(0, 7), rooms.subItem(0, 8)}),
              (Texts{zh<"战斗中">(), Gbk("3/8"), Gbk("******"), Gbk("bob"), Gbk("HAMACHI")}));
    room.status = Gbk("0");
    receive(roomRecord(room));
    ASSERT_EQ(rooms.rowCount(), 1);
    EXPECT_EQ(rooms.subItem(0, 1), zh<"讨论中">());
    receive(memberRecord(Gbk("R-none"), Gbk("bob")));  // a member of no known room
    EXPECT_FALSE(inRoom());
    EXPECT_TRUE(sentRecords().empty());
    receive(roomRecord(room, sub::kRoomJoin));
    EXPECT_EQ(shown_, Texts{zh<"房间">() + Gbk("bob") + zh<"的房间人数已满,不能进入!">()});
}

// Each room fails its check and every check after it, so that only the order of the
// checks decides which message is shown. The address is looked up at each double-click.
TEST_F(Lobby, FirstFailingJoinCheckSpeaksAndNothingIsSent) {
    struct Check {
        const char* roomno;
        std::int8_t nettype;
        const char* status;
        const char* modcode;
        Gbk message;
    };
    const auto notInstalled = [](const char* mod) {
        return zh<"你没有安装 ">() + Gbk(mod) + zh<"，请到">() + Gbk("http://ardentis.invalid/") +
               zh<"下载对应的mod。">();
    };
    const Check checks[] = {
        {"NoAddress", 1, "1", "05", zh<"您还没有登录虚拟网络!">()},
        {"OtherNetwork", 1, "1", "05", zh<"请确保您登录了虚拟网络软件">() + Gbk("HAMACHI")},
        {"InBattle", 0, "1", "05", zh<"房间中已经开始战斗了，请战后再来!">()},
        {"ModMissing", 0, "0", "05", notInstalled("Absulate Annihilation 6.0")},
        {"UnknownMod", 0, "0", "ZZ", notInstalled("Homebrew")},  // named by the row
        {"WrongPassword", 0, "0", "00", zh<"密码输入错误。">()}};
    logIn();
    machine_.inputpassword.answers.emplace_back(Gbk("wrong"));
    for (const Check& check : checks) {
        SCOPED_TRACE(check.roomno);
        RoomRecord room = openRoom(Gbk("bob"), Gbk(check.roomno));
        room.nettype = check.nettype;
        room.status = Gbk(check.status);
        room.modcode = Gbk(check.modcode);
        room.modname = Gbk("Homebrew");
        room.password = Gbk("secret");
        receive(roomRecord(room));
        shown_.clear();
        doubleClickRoom(room.roomno);
        EXPECT_EQ(shown_, Texts{check.message});
        EXPECT_TRUE(sentRecords().empty());
        EXPECT_FALSE(battle_.window.visible());
        machine_.setVirtualLanAddress(10, 140, 3, 4);
    }
}

TEST_F(Lobby, PasswordIsAskedOnlyForALockedRoomAndACancelSendsNothing) {
    logIn();
    machine_.setVirtualLanAddress(10, 140, 3, 4);
    RoomRecord room = openRoom(Gbk("bob"), Gbk("R-bob"));
    room.password = Gbk("secret");
    receive(roomRecord(room));
    main_.lvrooms.doubleClick(std::nullopt);
    EXPECT_TRUE(machine_.inputpassword.asked.empty());
    machine_.inputpassword.answers.emplace_back(std::nullopt);
    doubleClickRoom(room.roomno);
    ASSERT_EQ(machine_.inputpassword.asked.size(), 1U);
    EXPECT_EQ(machine_.inputpassword.asked[0].second, zh<"请输入房间密码">());
    EXPECT_TRUE(shown_.empty());
    EXPECT_TRUE(sentRecords().empty());

    machine_.inputpassword.answers.emplace_back(Gbk("secret"));
    doubleClickRoom(room.roomno);
    const auto sent = sentRecords();
    ASSERT_EQ(kinds(sent), (Kinds{{4, 10}}));
    EXPECT_EQ(sent[0].sparam1.text(), room.roomno.gbk());
    EXPECT_EQ(sent[0].sparam2.text(), Gbk("alice"));
    EXPECT_TRUE(battle_.window.visible());
    EXPECT_FALSE(battle_.BitBtn1.enabled());
    EXPECT_FALSE(main_.BitBtn2.enabled());
}

// Marks in any case play their sounds, one line's after each other, none cut off.
TEST_F(Lobby, OnlyTheOwnRoomsChatLinesAreShownAndActedOnMarksInAnyCaseSound) {
    logIn();
    const Gbk loaded = zh<"作战指挥室>>">() + zh<"开始进入战场">() + Gbk(" !BB !WARNING");
    receive(roomChat(Gbk("R-carol"), loaded, Gbk("carol")));  // outside any room
    const RoomRecord room = joinRoom(Gbk("bob"));
    const int roomLines = battle_.MemRecev.lineCount();
    const int lobbyLines = main_.MemRecev.lineCount();
    receive(roomChat(Gbk("R-carol"), loaded, Gbk("carol")));
    EXPECT_EQ(battle_.MemRecev.lineCount(), roomLines);
    EXPECT_EQ(main_.MemRecev.lineCount(), lobbyLines);
    EXPECT_TRUE(battle_.CheckBox1.enabled());
    EXPECT_TRUE(sentRecords().empty());
    EXPECT_TRUE(machine_.sound.played().empty());
    main_.lvrooms.doubleClick(std::nullopt);  // in a room even a click on nothing asks to leave
    EXPECT_EQ(shown_, Texts{zh<"要进入新房间请先退出目前所在房间!">()});

    const std::pair<const char*, std::vector<std::string>> lines[] = {
        {"bob>>wake up !bb", {"BB"}},
        {"bob>>!BB and !WARNING", {"BB", "WARNING"}},
        {"bob>>!Warning", {"WARNING"}},
        {"bob>>bb warning !b b", {}}};
    std::vector<std::string> played;
    for (const auto& [line, sounds] : lines) {
        receive(roomChat(room.roomno, Gbk(line), Gbk("bob")));
        client_.workers.waitAll();
        played.insert(played.end(), sounds.begin(), sounds.end());
        EXPECT_EQ(machine_.sound.played(), played) << line;
    }
    EXPECT_TRUE(machine_.sound.cut().empty()) << "a sound was cut off by the next";

    receive(roomChat(room.roomno, Gbk("bob>>") + zh<"开始进入战场">(), Gbk("bob")));
    EXPECT_EQ(lastLine(battle_.MemRecev), Gbk("bob>>") + zh<"开始进入战场">());
    EXPECT_TRUE(battle_.CheckBox1.enabled()) << "a chat line saying so";
    receive(roomChat(room.roomno, zh<"作战指挥室>>">() + Gbk("bob") + zh<"开始进入战场">(),
                     Gbk("bob")));
    EXPECT_FALSE(battle_.CheckBox1.enabled());
}

TEST_F(Lobby, EnterSendsTheCompletedLinesInOrderCutToTheFieldAndInARoomToTheRoom) {
    machine_.installGame(Gbk(kTaDir));
    start(true, true);
    (void)sentRecords();
    main_.MemSend.typeLine(Gbk("too early"));  // before the log-in is answered
    EXPECT_TRUE(sentRecords().empty());
    acceptLogin();
    main_.MemSend.pressEnter();     // an empty line
    for (int i = 0; i < 20; ++i) {  // each worker waits for the one before it
        main_.MemSend.typeLine(Gbk("line " + std::to_string(i)));
    }
    main_.MemSend.typeLine(Gbk(std::string(120, 'x')));
    auto sent = sentRecords();
    ASSERT_EQ(sent.size(), 21U);
    for (std::size_t i = 0; i < 20; ++i) {
        EXPECT_EQ(kinds({sent[i]}), (Kinds{{1, 0}}));
        EXPECT_EQ(sent[i].sparam1.text(), Gbk("alice>>line " + std::to_string(i)));
    }
    EXPECT_EQ(sent[20].sparam1.text(), Gbk("alice>>" + std::string(93, 'x')));
    EXPECT_EQ(main_.MemSend.line(0), Gbk("too early"));
    battle_.MemSend.typeLine(Gbk("nobody hears"));  // in no room
    EXPECT_TRUE(sentRecords().empty());

    const RoomRecord room = joinRoom(Gbk("bob"));
    battle_.MemSend.pressEnter();
    battle_.MemSend.typeLine(Gbk("gg"));
    sent = sentRecords();
    ASSERT_EQ(kinds(sent), (Kinds{{4, 5}}));
    EXPECT_EQ(sent[0].sparam1.text(), Gbk("alice>>gg"));
    EXPECT_EQ(sent[0].sparam2.text(), room.roomno.gbk());
    EXPECT_EQ(sent[0].sparam3.text(), Gbk("alice"));
}

TEST(ChatWorkers, AThreadThatCannotStartHoldsNoTurnForLaterLines) {
    int starts = 0;
    TClientDataThread workers([&starts](std::function<void()> body) {
        if (++starts == 1) {
            throw std::system_error(
                std::make_error_code(std::errc::resource_unavailable_try_again));
        }
        return std::thread(std::move(body));
    });
    std::promise<void> ran;
    EXPECT_FALSE(workers.start([] {}, TClientDataThread::Order::InTurn));
    ASSERT_TRUE(workers.start([&ran] { ran.set_value(); }, TClientDataThread::Order::InTurn));
    EXPECT_EQ(ran.get_future().wait_for(std::chrono::seconds(10)), std::future_status::ready)
        << "the next line waited for a worker that never started";
}

}  // namespace
}  // namespace ardentis::forms::testing
