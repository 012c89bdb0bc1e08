// The lobby and the battle room on the headless client.
#include <gtest/gtest.h>

#include <future>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <tuple>

#include "headless_fixture.h"

namespace ardentis::forms::testing {
namespace {

using protocol::DecodeRoom;
using Lobby = HeadlessFixture;

const Gbk kReady = zh<"就绪">();
const Gbk kWaiting = zh<"等待">();
const Gbk kLobby = zh<"大厅">();
const Gbk kCommandRoom = zh<"作战指挥室>>">();
const Kinds kOptions{{4, 15}};

Gbk announce(const char* account, const Gbk& rest) {
    return zh<"游戏大厅>>">() + Gbk(account) + rest;
}

// Enter sends the completed lines once logged in, in order and cut to the field. A move is
// announced only from a user's second record on. Each room then fails its check and every check
// after it, so only their order decides the message; the address is looked up at each click.
TEST_F(Lobby, ChatLinesMovesAnnouncedAtMostOnceAndJoinsAfterTheChecksInTheirOrder) {
    machine_.installGame(Gbk(kTaDir));
    start(true, true);
    main_.MemSend.typeLine(Gbk("too early"));  // before the log-in is answered
    EXPECT_EQ(kinds(sentRecords()), (Kinds{{0, 0}}));
    acceptLogin();
    receive(userRecord(Gbk("alice"), kLobby));
    main_.MemSend.pressEnter();     // an empty line
    for (int i = 0; i < 20; ++i) {  // each worker waits for the one before it
        main_.MemSend.typeLine(Gbk("line " + std::to_string(i)));
    }
    main_.MemSend.typeLine(Gbk(std::string(120, 'x')));
    battle_.MemSend.typeLine(Gbk("nobody hears"));  // in no room
    auto sent = sentRecords();
    ASSERT_EQ(kinds(sent), Kinds(21, {1, 0}));
    for (std::size_t i = 0; i < 20; ++i) {
        EXPECT_EQ(sent[i].sparam1.text(), Gbk("alice>>line " + std::to_string(i)));
    }
    EXPECT_EQ(sent[20].sparam1.text(), Gbk("alice>>" + std::string(93, 'x')));

    // R1 (bob's) and R2 (carol's) are listed, R9 is no room the client knows.
    const Gbk back = zh<"返回游戏大厅。">();
    const std::tuple<const char*, Gbk, Gbk, std::optional<Gbk>> moves[] = {
        {"bob", kLobby, Gbk("R1"), announce("bob", zh<"建立了的房间。">())},
        {"bob", Gbk("R1"), kLobby, announce("bob", back)},
        {"dave", Gbk("R1"), Gbk("R9"), announce("dave", back)},
        {"dave", kLobby, Gbk("R1"), announce("dave", zh<"进入">() + Gbk("bob") + zh<"的房间。">())},
        {"dave", Gbk("R1"), Gbk("R2"), std::nullopt},
        {"dave", kLobby, Gbk("R9"), std::nullopt},
        {"bob", Gbk("R1"), Gbk("R9"), std::nullopt}};
    receive(roomRecord(openRoom(Gbk("bob"), Gbk("R1"))));
    receive(roomRecord(openRoom(Gbk("carol"), Gbk("R2"))));
    const MemoryMemo& chat = main_.MemRecev;
    for (const auto& [account, from, to, line] : moves) {
        SCOPED_TRACE(account + (" from " + from.bytes()) + " to " + to.bytes());
        const int before = chat.lineCount();
        receive(userRecord(Gbk(account), from));
        EXPECT_EQ(chat.lineCount(), before) << "the first record of a user adds no line";
        receive(userRecord(Gbk(account), to));
        EXPECT_EQ(chat.lineCount(), before + (line ? 1 : 0));
        EXPECT_EQ(lastLine(chat), line.value_or(lastLine(chat)));
        EXPECT_EQ(main_.lvlobby.subItem(main_.lvlobby.findCaption(Gbk(account)).value(), 2), to);
        receive(userRecord(Gbk(account), kLobby, 1));  // gone: his next record is a first
    }
    // Users come, rename and go; a member of no known room changes nothing.
    receive(userRecord(Gbk("bob"), kLobby));
    ASSERT_EQ(main_.lvlobby.rowCount(), 2);
    receive(userRecord(Gbk("bob"), kLobby, 1));
    receive(userRecord(Gbk("nobody"), kLobby, 1));  // gone, but never listed
    EXPECT_EQ(main_.lvlobby.rowCount(), 1);
    EXPECT_EQ(lastLine(chat), announce("bob", zh<"离开大厅。">()));
    LobbyMessage renamed = userRecord(Gbk("alice"), kLobby);
    renamed.sparam3.set(Gbk("Queen"));
    receive(renamed);
    EXPECT_EQ((Texts{client_.currentUser.nickname, main_.lvlobby.subItem(0, 1)}),
              (Texts{Gbk("Queen"), Gbk("Queen")}));
    receive(memberRecord(Gbk("R-none"), Gbk("bob")));
    EXPECT_FALSE(inRoom());

    const auto notInstalled = [](const char* mod) {
        return zh<"你没有安装 ">() + Gbk(mod) + zh<"，请到">() + Gbk("http://ardentis.invalid/") +
               zh<"下载对应的mod。">();
    };
    // The room, its network type, status and mod code, and the message.
    const std::tuple<const char*, std::int8_t, const char*, const char*, Gbk> checks[] = {
        {"NoAddress", 1, "1", "05", zh<"您还没有登录虚拟网络!">()},
        {"OtherNetwork", 1, "1", "05", zh<"请确保您登录了虚拟网络软件">() + Gbk("HAMACHI")},
        {"InBattle", 0, "1", "05", zh<"房间中已经开始战斗了，请战后再来!">()},
        {"ModMissing", 0, "0", "05", notInstalled("Absulate Annihilation 6.0")},
        {"UnknownMod", 0, "0", "ZZ", notInstalled("Homebrew")},  // named by the row
        {"WrongPassword", 0, "0", "00", zh<"密码输入错误。">()}};
    auto& password = machine_.inputpassword;
    password.answers.emplace_back(Gbk("wrong"));
    RoomRecord room;
    for (const auto& [roomno, nettype, status, modcode, message] : checks) {
        SCOPED_TRACE(roomno);
        room = openRoom(Gbk("bob"), Gbk(roomno));
        room.nettype = nettype;
        room.status = Gbk(status);
        room.modcode = Gbk(modcode);
        room.modname = Gbk("Homebrew");
        room.password = Gbk("secret");
        receive(roomRecord(room));
        shown_.clear();
        doubleClickRoom(room.roomno);
        EXPECT_EQ(shown_, Texts{message});
        EXPECT_TRUE(sentRecords().empty() && !battle_.window.visible());
        machine_.setVirtualLanAddress(10, 140, 3, 4);
    }
    room.players = 3;  // updated in place
    room.maxplayers = 8;
    receive(roomRecord(room));
    const MemoryListView& rows = main_.lvrooms;
    ASSERT_EQ(rows.rowCount(), 8);
    EXPECT_EQ(
        (Texts{rows.subItem(7, 1), rows.subItem(7, 5), rows.subItem(7, 6), rows.subItem(7, 7)}),
        (Texts{zh<"讨论中">(), Gbk("3/8"), Gbk("******"), Gbk("bob")}));
    receive(roomRecord(room, sub::kRoomJoin));
    EXPECT_EQ(shown_.back(), zh<"房间">() + Gbk("bob") + zh<"的房间人数已满,不能进入!">());
    main_.lvrooms.doubleClick(std::nullopt);
    shown_.clear();
    password.answers.emplace_back(std::nullopt);
    doubleClickRoom(room.roomno);
    ASSERT_EQ(password.asked.size(), 2U);
    EXPECT_EQ(password.asked[1].second, zh<"请输入房间密码">());
    EXPECT_TRUE(shown_.empty() && sentRecords().empty()) << "a cancel";
    password.answers.emplace_back(Gbk("secret"));
    doubleClickRoom(room.roomno);
    sent = sentRecords();
    ASSERT_EQ(kinds(sent), (Kinds{{4, 10}}));
    EXPECT_EQ(params(sent[0]), (Texts{room.roomno.gbk(), Gbk("alice"), {}}));
    EXPECT_TRUE(battle_.window.visible());
    EXPECT_FALSE(battle_.BitBtn1.enabled() || main_.BitBtn2.enabled());
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

// Another user's chat line naming the user stands out in the lobby and the room; the user's own
// lines and the room's announcements (naming the user as they come) do not.
TEST_F(Lobby, ChatLinesNamingTheUserStandOutButNotTheirOwnOrTheRoomsAnnouncements) {
    logIn();
    const RoomRecord room = joinRoom(openRoom(Gbk("bob")));
    const MemoryMemo& lobby = main_.MemRecev;
    const MemoryMemo& battle = battle_.MemRecev;
    LobbyMessage lobbyChat{};
    lobbyChat.setKind(protocol::command::kLobbyChat, 0);
    // The view, the record that brings the line, its line, and whether it stands out.
    const std::tuple<const MemoryMemo*, bool, Gbk, bool> lines[] = {
        {&lobby, true, Gbk("bob>>hi ALICE"), true},
        {&lobby, true, Gbk("alice>>alice is here"), false},
        {&lobby, true, Gbk("bob>>hi all"), false},
        {&battle, false, Gbk("bob>>alice-nick, ready?"), true},
        {&battle, false, kCommandRoom + Gbk("alice") + zh<"进入作战指挥室。">(), false}};
    for (const auto& [view, inLobby, line, marked] : lines) {
        SCOPED_TRACE(line.bytes());
        lobbyChat.sparam1.set(line);
        receive(inLobby ? lobbyChat : roomMessage(sub::kRoomChat, line, room.roomno, Gbk("bob")));
        ASSERT_EQ(lastLine(*view), line);
        EXPECT_EQ(view->highlighted(view->lineCount() - 1), marked);
    }
}

// bob's room as a joiner: what it shows and sends, the room chat and the ways out. Then alice
// creates a room: it carries fixed option values until her first change; then radios and sliders
// send the options, the rest also the room. The start needs a second row and every row ready.
TEST_F(Lobby, JoinerFollowsTheHostAndLeavesEveryWayThenCreatesARoomStartedOnlyWhenAllAreReady) {
    logIn();
    RoomRecord room = joinRoom(openRoom(Gbk("bob")), {Gbk("carol")});
    auto& w = battle_;
    const auto radios = [&w] {
        return std::vector{w.RGcommander.itemIndex(), w.rglos.itemIndex(),
                           w.rgwatch.itemIndex(),     w.RGcheat.itemIndex(),
                           w.RGMapmode.itemIndex(),   w.rgpos.itemIndex()};
    };
    EXPECT_EQ((Texts{readyMark(Gbk("bob")), readyMark(Gbk("carol")), readyMark(Gbk("alice")),
                     lastLine(w.MemRecev), client_.currentUser.location.gbk()}),
              (Texts{kReady, kWaiting, kWaiting,
                     kCommandRoom + Gbk("alice") + zh<"进入作战指挥室。">(), room.roomno.gbk()}));
    EXPECT_FALSE(w.BitBtn2.visible() || w.RGcommander.enabled());
    w.MemSend.pressEnter();
    w.MemSend.typeLine(Gbk("gg"));
    auto sent = sentRecords();  // the typed line goes out from a worker
    ASSERT_EQ(kinds(sent), (Kinds{{4, 5}}));
    EXPECT_EQ(params(sent[0]), (Texts{Gbk("alice>>gg"), room.roomno.gbk(), Gbk("alice")}));
    ASSERT_TRUE(w.MapList.choose(1));
    ASSERT_TRUE(w.CheckBox1.click());
    EXPECT_EQ(readyMark(Gbk("alice")), kReady);
    ASSERT_TRUE(w.CheckBox1.click());
    sent = sentRecords();
    ASSERT_EQ(kinds(sent), (Kinds{{4, 5}, {4, 16}, {4, 16}}));
    EXPECT_EQ(params(sent[0]), (Texts{kCommandRoom + Gbk("alice") + zh<"建议使用">() +
                                          Gbk("Comet Catcher") + zh<"这张地图。">(),
                                      room.roomno.gbk(), Gbk("alice")}));
    EXPECT_EQ((Texts{sent[1].sparam2.text(), readyMark(Gbk("alice"))}),
              (Texts{Gbk("alice"), kWaiting}));
    EXPECT_EQ((std::vector{sent[1].iparam1.get(), sent[2].iparam1.get()}), (std::vector{0, 1}));

    const Gbk mod = w.mods.text();
    room.comment = Gbk("fast game");
    room.map = Gbk("comet CATCHER");  // the case of a map name does not matter
    room.password = Gbk("pw");
    room.modcode = Gbk("ZZ");  // unknown: the mod selection stays
    room.maxplayers = 4;
    room.commander = room.los = 3;
    room.metal = 5;
    receive(roomRecord(room, sub::kRoomOptions));
    EXPECT_EQ(
        (Texts{w.gamecomments.text(), w.MapList.text(), w.pwd.text(), w.mods.text(),
               w.lplayers.caption(), w.Lmetal.caption()}),
        (Texts{Gbk("fast game"), Gbk("Comet Catcher"), Gbk("pw"), mod, Gbk("4"), Gbk("5000")}));
    EXPECT_EQ(radios(), (std::vector<int>{2, 2, 1, 0, 1, 1}));
    room.maxplayers = 2;  // below the players: refused on his window too
    receive(roomRecord(room, sub::kRoomOptions));
    EXPECT_EQ(shown_, Texts{zh<"玩家数量不能再少了。">()});
    EXPECT_TRUE(w.Trackplayers.position() == 3 && sentRecords().empty());

    // A missing map is announced and the ready mark withdrawn.
    ASSERT_TRUE(w.CheckBox1.click());
    (void)sentRecords();
    room.map = Gbk("Ice Age");
    receive(roomRecord(room, sub::kRoomOptions));
    sent = sentRecords();
    ASSERT_GE(sent.size(), 2U);
    EXPECT_EQ(sent[0].sparam1.text(),
              kCommandRoom + Gbk("alice") + zh<"没有">() + Gbk("Ice Age") + zh<"这个地图。">());
    EXPECT_EQ(kinds({sent.back()}), (Kinds{{4, 16}}));
    EXPECT_EQ(sent.back().iparam1.get(), 1);
    EXPECT_EQ((Texts{readyMark(Gbk("alice")), w.MapList.text()}),
              (Texts{kWaiting, Gbk("Comet Catcher")}))
        << "the choice is kept";

    // Only the own room's chat lines count; marks in any case play their sounds, none cut off.
    const int lines = main_.MemRecev.lineCount() * 1000 + w.MemRecev.lineCount();
    const Gbk loaded = kCommandRoom + zh<"开始进入战场">();
    receive(roomMessage(sub::kRoomChat, loaded + Gbk(" !BB"), Gbk("R-carol"), Gbk("carol")));
    EXPECT_EQ(main_.MemRecev.lineCount() * 1000 + w.MemRecev.lineCount(), lines);
    EXPECT_TRUE(w.CheckBox1.enabled() && machine_.sound.played().empty());
    main_.lvrooms.doubleClick(std::nullopt);  // in a room even a click on nothing asks to leave
    EXPECT_EQ(shown_.back(), zh<"要进入新房间请先退出目前所在房间!">());
    const std::pair<const char*, std::vector<std::string>> chatLines[] = {
        {"bob>>wake up !bb", {"BB"}},
        {"bob>>!BB and !WARNING", {"BB", "WARNING"}},
        {"bob>>bb warning !b b", {}}};
    std::vector<std::string> played;
    for (const auto& [line, sounds] : chatLines) {
        receive(roomMessage(sub::kRoomChat, Gbk(line), room.roomno, Gbk("bob")));
        client_.workers.waitAll();
        played.insert(played.end(), sounds.begin(), sounds.end());
        EXPECT_EQ(machine_.sound.played(), played) << line;
    }
    EXPECT_TRUE(machine_.sound.cut().empty()) << "a sound was cut off by the next";
    receive(
        roomMessage(sub::kRoomChat, Gbk("bob>>") + zh<"开始进入战场">(), room.roomno, Gbk("bob")));
    EXPECT_EQ(lastLine(w.MemRecev), Gbk("bob>>") + zh<"开始进入战场">());
    EXPECT_TRUE(w.CheckBox1.enabled()) << "a chat line saying so";

    // Another room's update and closing touch only its row; the own room's closing leaves it.
    RoomRecord other = openRoom(Gbk("carol"));
    receive(roomRecord(other));
    other.comment = Gbk("changed");
    receive(roomRecord(other));
    EXPECT_EQ(main_.lvrooms.subItem(1, 2), Gbk("changed"));
    receive(roomRecord(other, sub::kRoomClosed));
    EXPECT_TRUE(sentRecords().empty() && w.window.visible() &&
                !main_.lvrooms.findCaption(other.roomno));
    w.MemSend.type(Gbk("half a line"));
    const auto expectLeft = [&](const RoomRecord& left) {
        const auto records = sentRecords();
        ASSERT_EQ(kinds(records), (Kinds{{4, 12}, {2, 0}}));
        EXPECT_EQ(params(records[0]), (Texts{left.roomno.gbk(), Gbk("alice"), {}}));
        EXPECT_EQ(protocol::DecodeUser(records[1]).location, kLobby);
        EXPECT_FALSE(inRoom());
    };
    receive(roomRecord(room, sub::kRoomClosed));
    expectLeft(room);
    EXPECT_EQ(w.window.visible() + w.lvRoom.rowCount() + w.MemRecev.lineCount() +
                  w.MemSend.lineCount() + main_.lvrooms.rowCount(),
              0);
    EXPECT_EQ(main_.prompt.caption(), zh<"用户:">() + Gbk("alice") + zh<" 位置:">() + kLobby);

    // The system close is refused; 退出 leaves the room (the main window's, at the end).
    room = joinRoom(openRoom(Gbk("dave")));
    EXPECT_FALSE(w.window.requestClose() || main_.window.requestClose());
    ASSERT_TRUE(w.BitBtn3.click());
    expectLeft(room);
    receive(roomRecord(room, sub::kRoomClosed));

    // alice creates a room, without a HAMACHI address first.
    client_.options.vnntype = 1;
    ASSERT_TRUE(main_.BitBtn2.click());
    EXPECT_TRUE(w.rglos.click(2) && w.rgwatch.click(0) && w.Trackmetal.drag(7));
    w.Trackplayers.drag(6);
    w.MapList.choose(2);
    w.pwd.type(Gbk("pw"));
    w.gamecomments.setText(Gbk("come"));
    ASSERT_TRUE(w.BitBtn1.click());
    EXPECT_EQ(shown_.back(), zh<"请确保您在选项中选择的虚拟局域网软件保持在线！">());
    ASSERT_TRUE(sentRecords().empty()) << "no room yet: nothing is sent";
    machine_.setVirtualLanAddress(5, 6, 7, 8);
    ASSERT_TRUE(w.BitBtn1.click());
    sent = sentRecords();
    ASSERT_EQ(kinds(sent), (Kinds{{4, 0}, {2, 0}}));
    room = DecodeRoom(sent[0]);
    EXPECT_EQ((std::vector<int>{room.los, room.watch, room.metal, room.maxplayers, room.nettype}),
              (std::vector<int>{1, 2, 1, 6, 1}));  // the first three as the controls never were
    EXPECT_EQ((Texts{room.host, room.map, room.password, room.comment, room.modcode,
                     protocol::DecodeUser(sent[1]).location.gbk()}),
              (Texts{Gbk("alice"), Gbk("Shore to Shore"), Gbk("pw"), Gbk("come"), Gbk("00"),
                     room.roomno.gbk()}));
    EXPECT_FALSE(w.BitBtn1.enabled() || w.mods.enabled());
    receive(roomRecord(room));
    EXPECT_TRUE(readyMark(Gbk("alice")) == kReady && w.BitBtn2.visible() && !w.BitBtn2.enabled())
        << "the creator alone";

    w.RGcommander.click(0);
    sent = sentRecords();
    ASSERT_EQ(kinds(sent), kOptions);
    const RoomRecord changed = DecodeRoom(sent[0]);
    EXPECT_EQ((std::vector<int>{changed.commander, changed.los, changed.metal, changed.nettype,
                                changed.roomref == room.roomno}),
              (std::vector<int>{1, 3, 7, 1, 1}));
    for (MemoryRadioGroup* group : {&w.rglos, &w.rgwatch, &w.RGcheat, &w.RGMapmode, &w.rgpos}) {
        ASSERT_TRUE(group->click(group->itemIndex() == 0 ? 1 : 0));
        EXPECT_EQ(kinds(sentRecords()), kOptions);
    }
    for (MemorySlider* slider : {&w.Trackulimited, &w.Trackmetal, &w.Trackenergy}) {
        ASSERT_TRUE(slider->drag(5));
        EXPECT_EQ(kinds(sentRecords()), kOptions);
    }
    ASSERT_TRUE(w.Trackplayers.drag(8));
    w.MapList.choose(1);
    sent = sentRecords();
    ASSERT_EQ(kinds(sent), (Kinds{{4, 15}, {4, 0}, {4, 15}, {4, 0}}));
    EXPECT_EQ(DecodeRoom(sent[1]).maxplayers, 8);
    EXPECT_EQ(DecodeRoom(sent[3]).map, Gbk("Comet Catcher"));

    receive(userRecord(Gbk("bob"), kLobby));
    receive(memberRecord(room.roomno, Gbk("bob")));
    receive(memberRecord(room.roomno, Gbk("carol")));
    EXPECT_TRUE(readyMark(Gbk("carol")) == kReady && w.BitBtn2.enabled())
        << "shown ready until his state arrives";
    const int roomLines = w.MemRecev.lineCount();
    receive(memberRecord(room.roomno, Gbk("bob")));  // a second entry: no row, no line
    EXPECT_EQ(w.lvRoom.rowCount() * 1000 + w.MemRecev.lineCount(), 3000 + roomLines);
    (void)sentRecords();
    w.Trackplayers.drag(2);  // below the players: refused and the correction sent
    EXPECT_TRUE(shown_.back() == zh<"玩家数量不能再少了。">() && w.Trackplayers.position() == 3);
    sent = sentRecords();
    ASSERT_EQ(kinds(sent), (Kinds{{4, 15}, {4, 0}}));
    EXPECT_EQ(DecodeRoom(sent[0]).maxplayers, 3);

    // Her own options coming back are ignored.
    const auto before = radios();
    const int map = w.MapList.itemIndex();
    RoomRecord echo = room;
    echo.commander = 3;
    echo.map = Gbk("Ice Age");
    echo.metal = 9;
    receive(roomRecord(echo, sub::kRoomOptions));
    EXPECT_TRUE(radios() == before && w.MapList.itemIndex() == map && w.Trackmetal.position() == 5);
    EXPECT_TRUE(sentRecords().empty() && w.BitBtn2.enabled());

    // The player, the room (nullptr: the own one), the state, the mark and whether she may start.
    const std::tuple<const char*, const char*, int, Gbk, bool> steps[] = {
        {"carol", nullptr, 1, kWaiting, false},
        {"carol", nullptr, 0, kReady, true},
        {"bob", nullptr, -1, zh<"战斗">(), false},
        {"bob", "R-elsewhere", 0, zh<"战斗">(), false}};
    for (const auto& [account, roomno, state, mark, start] : steps) {
        SCOPED_TRACE(std::string(account) + " " + std::to_string(state));
        receive(roomMessage(sub::kPlayerState, roomno ? Gbk(roomno) : room.roomno.gbk(),
                            Gbk(account), {}, state));
        EXPECT_EQ(readyMark(Gbk(account)), mark);
        EXPECT_EQ(w.BitBtn2.enabled(), start);
    }
    for (const char* leaver : {"bob", "carol"}) {  // bob waits; then alice is alone
        receive(roomMessage(sub::kRoomLeave, room.roomno, Gbk(leaver)));
        EXPECT_EQ(lastLine(w.MemRecev), kCommandRoom + Gbk(leaver) + zh<"离开作战指挥室。">());
        EXPECT_FALSE(w.lvRoom.findCaption(Gbk(leaver))) << leaver;
        EXPECT_EQ(w.BitBtn2.enabled(), leaver == std::string("bob")) << leaver;
    }
    // An update of her own room marks her ready again.
    (void)sentRecords();
    receive(roomRecord(room));
    sent = sentRecords();
    ASSERT_EQ(kinds(sent), (Kinds{{4, 16}, {4, 16}, {2, 0}}));
    EXPECT_EQ((std::vector{sent[0].iparam1.get(), sent[1].iparam1.get()}), (std::vector{0, 0}));
    EXPECT_TRUE(w.CheckBox1.checked() && !w.CheckBox1.visible());
    ASSERT_TRUE(main_.BitBtn4.click());
    expectLeft(room);
}

}  // namespace
}  // namespace ardentis::forms::testing
