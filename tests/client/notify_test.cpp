// Notifications while the client is behind other programs, on the headless client.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <tuple>
#include <utility>

#include "headless_fixture.h"

namespace ardentis::forms::testing {
namespace {

using Balloons = std::vector<std::pair<Gbk, Gbk>>;
using namespace std::chrono_literals;

enum class Happening : std::uint8_t {
    Came,
    Left,
    Full,
    AllReady,
    JoinerAllReady,
    Started,
    LobbyMention,
    RoomMention,
    OwnJoin
};

// A headless user who stepped away; `choose` ticks one kind on the options page.
class Notify : public HeadlessFixture {
  protected:
    Notify() { machine_.desktop.front = true; }

    void choose(CheckBox* only, bool on, bool sound = true) {
        MemoryOptionsWindow& o = headless_.options;
        for (MemoryCheckBox* box :
             {&o.comeAndGo, &o.roomFull, &o.allReady, &o.gameStart, &o.mention, &o.tray}) {
            box->setChecked(box == only && on);
        }
        o.sound.setChecked(sound);
        ASSERT_TRUE(o.BitBtn1.click());
    }
    void away(bool behind) {
        machine_.desktop.front = !behind;
        machine_.desktop.balloons.clear();
        machine_.desktop.flashes = 0;
    }
    Balloons balloons() const { return machine_.desktop.balloons; }
    static Balloons told(const Gbk& text) { return {{Gbk("Ardentis"), text}}; }
    void stateOf(const RoomRecord& room, const char* player, std::int32_t state) {
        receive(roomMessage(sub::kPlayerState, room.roomno, Gbk(player), {}, state));
    }
};

class NotifyEach : public Notify,
                   public ::testing::WithParamInterface<std::tuple<Happening, bool, bool>> {};

TEST_P(NotifyEach, OnlyBehindAndOnlyWhenChosenOneBalloonFlashAndSound) {
    const auto [happening, behind, on] = GetParam();
    MemoryOptionsWindow& o = headless_.options;
    logIn();
    const std::pair<CheckBox*, Gbk> kinds[] = {
        {&o.comeAndGo, Gbk("dave") + zh<" 进入了房间">()},
        {&o.comeAndGo, Gbk("bob") + zh<" 离开了房间">()},
        {&o.roomFull, zh<"房间已满员">()},
        {&o.allReady, zh<"所有玩家都已准备好，可以开始游戏了">()},
        {&o.allReady, Gbk()},  // a joiner is not told
        {&o.gameStart, Gbk("bob") + zh<" 开始了游戏">()},
        {&o.mention, zh<"聊天中有人提到了你：">() + Gbk("bob>>hi ALICE")},
        {&o.mention, zh<"聊天中有人提到了你：">() + Gbk("bob>>alice-nick, map?")},
        {&o.comeAndGo, Gbk()},  // those already in a room the user enters are no news
    };
    const auto& [box, text] = kinds[static_cast<int>(happening)];
    choose(box, on);
    const bool joiner = happening == Happening::JoinerAllReady || happening == Happening::Started ||
                        happening == Happening::RoomMention || happening == Happening::OwnJoin;
    if (happening == Happening::Full) {
        battle_.Trackplayers.setPosition(5);
    }
    if (happening == Happening::OwnJoin) {
        away(behind);
    }
    const RoomRecord room = joiner ? joinRoom(openRoom(Gbk("bob")), {Gbk("carol")})
                                   : hostRoom({Gbk("bob"), Gbk("carol")});
    away(behind);
    switch (happening) {
        case Happening::Came:
            receive(memberRecord(room.roomno, Gbk("bob"), sub::kRoomEnter));  // already in
            receive(memberRecord(room.roomno, Gbk("dave"), sub::kRoomEnter));
            break;
        case Happening::Full:
            receive(memberRecord(room.roomno, Gbk("dave"), sub::kRoomEnter));  // a seat left
            receive(memberRecord(room.roomno, Gbk("erin"), sub::kRoomEnter));
            break;
        case Happening::Left:
            receive(roomMessage(sub::kRoomLeave, room.roomno, Gbk("zed")));  // never in
            receive(roomMessage(sub::kRoomLeave, room.roomno, Gbk("bob")));
            break;
        case Happening::AllReady:
        case Happening::JoinerAllReady:
            stateOf(room, "alice", 0);
            stateOf(room, "bob", 1);
            stateOf(room, "carol", 1);
            stateOf(room, "carol", 0);  // bob still waits: no word
            stateOf(room, "bob", 0);
            stateOf(room, "bob", 0);  // no news
            break;
        case Happening::Started:
            receive(roomMessage(sub::kGameStart, room.roomno, Gbk("10.140.3.9")));
            break;
        case Happening::LobbyMention: {
            LobbyMessage line{};
            line.setKind(protocol::command::kLobbyChat, sub::kLobbyChat);
            line.sparam1.set(Gbk("bob>>hi ALICE"));
            receive(line);
            line.sparam1.set(Gbk("bob>>hi all"));
            receive(line);
            break;
        }
        case Happening::RoomMention:
            receive(
                roomMessage(sub::kRoomChat, Gbk("bob>>alice-nick, map?"), room.roomno, Gbk("bob")));
            receive(roomMessage(sub::kRoomChat, Gbk("bob>>ok"), room.roomno, Gbk("bob")));
            break;
        case Happening::OwnJoin:
            break;
    }
    loop_.advance(std::chrono::milliseconds(Notifications::kQuietMs));
    const bool said = behind && on && !text.empty();
    client_.workers.waitAll();
    EXPECT_EQ(balloons(), said ? told(text) : Balloons{});
    EXPECT_EQ(machine_.desktop.flashes, said ? 1 : 0);
    EXPECT_EQ(machine_.sound.played(),
              said ? std::vector<std::string>{"BB"} : std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(
    EventsBehindChosen, NotifyEach,
    ::testing::Combine(::testing::Values(Happening::Came, Happening::Left, Happening::Full,
                                         Happening::AllReady, Happening::JoinerAllReady,
                                         Happening::Started, Happening::LobbyMention,
                                         Happening::RoomMention, Happening::OwnJoin),
                       ::testing::Bool(), ::testing::Bool()));

// Ten players in a burst: one balloon at once, one for the rest after the quiet spell, and
// nothing for a burst the user came back to.
TEST_F(Notify, ABurstMakesTwoBalloonsAndTheChoicesAreKeptUnderTheirOwnKey) {
    logIn();
    choose(&headless_.options.comeAndGo, true, false);
    const RoomRecord room = hostRoom();
    away(true);
    for (int player = 0; player < 10; ++player) {
        receive(memberRecord(room.roomno, Gbk("p" + std::to_string(player)), sub::kRoomEnter));
    }
    EXPECT_EQ(balloons(), told(Gbk("p0") + zh<" 进入了房间">()));
    loop_.advance(std::chrono::milliseconds(Notifications::kQuietMs));
    const Gbk rest = Gbk("p1") + zh<" 进入了房间">() + Gbk("\np2") + zh<" 进入了房间">() +
                     Gbk("\np3") + zh<" 进入了房间">() + zh<"\n……还有 6 条提醒">();
    EXPECT_EQ(balloons().size(), 2U);
    EXPECT_EQ(balloons().back().second, rest);
    loop_.advance(10s);
    EXPECT_EQ(balloons().size(), 2U);
    receive(roomMessage(sub::kRoomLeave, room.roomno, Gbk("p1")));
    receive(roomMessage(sub::kRoomLeave, room.roomno, Gbk("p2")));
    machine_.desktop.front = true;
    loop_.advance(10s);
    client_.workers.waitAll();
    EXPECT_EQ(balloons().size(), 3U) << "the user came back before the rest";
    EXPECT_TRUE(machine_.sound.played().empty());

    const std::string_view key = R"(Software\Morvane\Ardentis\notify)";
    const auto stored = [&](std::string_view name) {
        return machine_.registry.text(platform::RegistryHive::CurrentUser, key, name);
    };
    EXPECT_EQ((std::vector{stored("comeandgo"), stored("mention"), stored("sound")}),
              (std::vector<std::optional<Gbk>>{Gbk("1"), Gbk("0"), Gbk("0")}));
    EXPECT_FALSE(machine_.registry.text(platform::RegistryHive::CurrentUser,
                                        settings::kOptionsSection, "comeandgo"));
    EXPECT_FALSE(machine_.desktop.toTray);
    headless_.options.tray.setChecked(true);
    ASSERT_TRUE(headless_.options.BitBtn1.click());
    EXPECT_TRUE(machine_.desktop.toTray && machine_.desktop.trayIcon);
}

// Read at start: missing values are on, except the tray.
TEST_F(Notify, TheStoredChoicesAreReadAtStart) {
    machine_.registry.setText(platform::RegistryHive::CurrentUser,
                              R"(Software\Morvane\Ardentis\notify)", "mention", Gbk("0"));
    logIn();
    const MemoryOptionsWindow& o = headless_.options;
    EXPECT_EQ((std::vector{o.comeAndGo.checked(), o.mention.checked(), o.sound.checked(),
                           o.tray.checked()}),
              (std::vector{true, false, true, false}));
    EXPECT_FALSE(client_.notifications.choices().mention);
}

}  // namespace
}  // namespace ardentis::forms::testing
