// The game side on the fakes: the mod table, the launch files' whole bytes and the command lines
// (that a start writes them and the game reads them is the game start suite's), and the watchers
// on a manual clock: the menu automation over a simulated Total Annihilation, the recorder watch.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <memory>
#include <ranges>
#include <string>
#include <tuple>
#include <vector>

#include "game/game_end.h"
#include "game/launch_files.h"
#include "game/menu_automation.h"
#include "game/mod_table.h"
#include "game/recorder_report.h"
#include "game/ta_watcher.h"
#include "platform/clock.h"
#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_game_windows.h"
#include "platform/fake/fake_registry.h"
#include "platform/fake/fake_shared_memory.h"
#include "platform/fake/fake_system_info.h"
#include "platform/fake/manual_event_loop.h"
#include "platform/fake/simulated_recorder.h"
#include "platform/fake/simulated_total_annihilation.h"
#include "platform/file_append.h"
#include "protocol/traffic_log.h"
#include "tests/game/recording_room.h"
#include "tests/support/scratch_directory.h"
#include "text/code_page.h"
#include "text/literal.h"

namespace ardentis::game {
namespace {

using namespace std::chrono_literals;
using platform::PixelPoint;
using platform::SimulatedTotalAnnihilation;
using Screen = SimulatedTotalAnnihilation::Screen;
using text::Gbk;

// A window that shows the colours painted on it, black elsewhere, and ignores messages.
struct Picture final : platform::SimulatedWindow {
    [[nodiscard]] platform::Rgb pixel(PixelPoint point) const override {
        const auto at =
            std::ranges::find(paint, point, &std::pair<PixelPoint, platform::Rgb>::first);
        return at == paint.end() ? platform::Rgb{} : at->second;
    }
    bool handle(std::uint32_t, std::uintptr_t, std::intptr_t) override { return true; }
    std::vector<std::pair<PixelPoint, platform::Rgb>> paint;
};

// What every watcher runs on, its traffic log in a scratch file; the automation's helpers.
class GameWatch : public ::testing::Test {
  protected:
    [[nodiscard]] std::vector<std::string> logLines() const {
        return testing::lines(testing::readFile(scratch_ / "client.log"));
    }
    // The game opens its window with the launch file of the role, and the automation starts.
    void launch(bool host, bool automate = true) {
        game_ = std::make_shared<SimulatedTotalAnnihilation>(
            SimulatedTotalAnnihilation::Setup{host, Gbk("5.1.2.3"), Gbk("ab")});
        window_ = windows_.open(Gbk("Total Annihilation"), game_);
        if (automate) {
            clicker_.Start(host ? TAutoClicker::kHostMode : TAutoClicker::kJoinMode);
        }
    }
    void steps(int count) { loop_.advance(std::chrono::milliseconds(10 * count)); }
    // Messages of that kind sent since the mark.
    [[nodiscard]] std::ptrdiff_t sent(std::uint32_t kind) const {
        return std::ranges::count(windows_.messages() | std::views::drop(mark_), kind,
                                  &platform::SentMessage::message);
    }
    [[nodiscard]] bool closed() const {
        return !windows_.isOpen(window_) && !clicker_.running() && sent(platform::kWmClose) == 1;
    }

    testing::ScratchDirectory scratch_;
    platform::ManualEventLoop loop_;
    platform::FakeGameWindows windows_;
    platform::FakeSystemInfo system_;
    platform::SystemClock clock_;
    protocol::TrafficLog log_{platform::appendFileAt(scratch_ / "client.log"), clock_};
    int startCalls_ = 0;
    std::size_t mark_ = 0;  // messages sent before it do not count
    TAutoClicker clicker_{loop_, windows_, system_, log_, [this] { ++startCalls_; }};
    std::shared_ptr<SimulatedTotalAnnihilation> game_;
    platform::WindowHandle window_ = platform::kNoWindow;
    platform::FakeSharedMemory memory_;
    ardentis::testing::RecordingRoom room_;
    TTAHook hook_{loop_, windows_, memory_, system_, log_, room_};
};

// Each menu screen, shown to a fresh automation or to one that has seen menu 6 (the battle
// room, so the battle may start), or that was started anew since: the menu it is read as and
// its one answer, a click the game acts on (it moves to the next screen) or none. Menus 4 (the
// joiner's), 5, 7 and 8 are answered in the whole games below.
TEST_F(GameWatch, EachScreenIsReadAsItsMenuAndAnsweredOnce) {
    enum Before { Fresh, Menu6, NewStart };
    using enum Screen;
    const std::tuple<const char*, bool, Before, Screen, int, Screen, bool> cases[] = {
        {"main menu", true, Fresh, MainMenu, 2, MainMenu, false},
        {"multiplayer", true, Fresh, Multiplayer, 3, Multiplayer, false},
        {"host's game list", true, Fresh, GameList, 4, GameList, false},
        {"join failed", false, Fresh, JoinFailed, 44, Battleroom, false},
        {"battle room", false, Fresh, Battleroom, 6, Battleroom, false},
        {"menu 7 before 6", true, Fresh, BattleroomReady, -8, BattleroomReady, false},
        {"multiplayer after", true, Menu6, Multiplayer, 3, Multiplayer, true},
        {"game list after", false, Menu6, GameList, 4, GameList, true},
        {"join failed after", true, Menu6, JoinFailed, 44, JoinFailed, true},
        {"menu 6 then new start", true, NewStart, BattleroomReady, -8, BattleroomReady, false},
    };
    for (const auto& [name, host, before, screen, menu, after, closes] : cases) {
        SCOPED_TRACE(name);
        windows_.close(window_);
        mark_ = windows_.messages().size();
        startCalls_ = 0;
        launch(host);
        if (before != Fresh) {
            game_->show(Battleroom);
            steps(1);
            if (before == NewStart) {
                clicker_.Start(TAutoClicker::kHostMode);
            }
        }
        game_->show(screen);
        steps(1);
        EXPECT_EQ(clicker_.lastMenuIndex, menu);
        EXPECT_EQ(game_->screen(), after);
        EXPECT_EQ(sent(platform::kWmLButtonDown), after == screen ? 0 : 1);
        EXPECT_EQ(closed(), closes);
        EXPECT_EQ(startCalls_, before != Fresh || menu == 6 ? 1 : 0);
    }
}

TEST_F(GameWatch, HostDrivesItsGameIntoTheBattleAndClosesItAtTheScore) {
    clicker_.Start(TAutoClicker::kHostMode);
    steps(20);  // no window yet (menu -1): it looks again at every step
    launch(true);
    steps(2);  // menu 5: OK; menu 6
    game_->everyoneReady();
    steps(2);  // menu 7: start; the battle
    ASSERT_EQ(game_->screen(), Screen::Battle);
    EXPECT_FALSE(system_.parameterCalls().empty()) << "the task keys are not back on";
    steps(100);  // the battle shows no menu: nothing is sent
    EXPECT_EQ(windows_.messages().size(), 4U);
    game_->endBattle();
    steps(100);
    EXPECT_TRUE(closed());
    EXPECT_EQ(logLines(),
              (std::vector<std::string>{"run TA in Menuindex:-1", "run TA in Menuindex:5",
                                        "run TA in Menuindex:6", "run TA in Menuindex:7",
                                        "run TA in Menuindex:-8", "run TA in Menuindex:8"}));
}

// One of probes 10 to 12 in its second colour, which menu 6 takes, the others in their first,
// and 13 to 15 in none of theirs: not menu 6, and menu 7 only with no second colour.
TEST_F(GameWatch, Menu7NeedsTheFirstColourAtProbes10To12) {
    const auto& probes = TAutoClicker::probes();
    const auto picture = std::make_shared<Picture>();
    for (std::size_t i = 10; i <= 15; ++i) {  // menu 6 first: the battle may start
        picture->paint.emplace_back(probes[i].at, *probes[i].a);
    }
    window_ = windows_.open(Gbk("Total Annihilation"), picture);
    clicker_.Start(TAutoClicker::kHostMode);
    steps(1);
    for (std::size_t second = 10; second <= 13; ++second) {
        picture->paint.clear();
        for (std::size_t i = 10; i <= 12; ++i) {
            picture->paint.emplace_back(probes[i].at, i == second ? *probes[i].b : *probes[i].a);
        }
        steps(1);
        EXPECT_EQ(clicker_.lastMenuIndex, second == 13 ? 7 : TAutoClicker::kNoMenu) << second;
    }
}

// A joiner's failed join is retried four times, then its game is closed; a host's pending
// menu 7 click repeats until another menu clears it.
TEST_F(GameWatch, FailedJoinIsRetriedFourTimesAndAMenu7ClickRepeatsUntilAnotherMenu) {
    launch(false);
    game_->setHostAnswers(false);
    steps(2);  // menu 5, then menu 4: join fails
    ASSERT_EQ(game_->screen(), Screen::JoinFailed);
    mark_ = windows_.messages().size();
    steps(4);
    EXPECT_EQ(sent(platform::kWmLButtonDown), 4);
    steps(10);
    EXPECT_TRUE(closed());
    EXPECT_EQ(sent(platform::kWmLButtonDown), 4);

    launch(true);
    steps(2);
    game_->everyoneReady();
    game_->setIgnoresClicks(true);
    mark_ = windows_.messages().size();
    steps(3);
    EXPECT_EQ(sent(platform::kWmLButtonDown), 3);
    game_->show(Screen::Connect);  // menu 5 clears the pending click
    steps(1);
    game_->show(Screen::BattleroomReady);
    steps(3);
    EXPECT_EQ(sent(platform::kWmLButtonDown), 4) << "the menu 5 click, no other";
}

// A length byte past 19 (the name would run into the next slot) reads 19 characters.
TEST(RecorderReport, ANameIsCutToNineteen) {
    RecorderSnapshot snapshot{};
    snapshot[148] = std::byte{40};
    std::fill(snapshot.begin() + 149, snapshot.begin() + 168, std::byte{0x78});  // x
    const std::string name(19, 'x');
    EXPECT_EQ(recorderReport(snapshot), Gbk("1 players reported by Recorder; " + name +
                                            "; Player:" + name + ", allied no one."));
}

TEST_F(GameWatch, RecorderIsOpenedOnceReadWhileItRecordsAndTheGameEndStopsBoth) {
    launch(true, false);
    hook_.Start();
    loop_.advance(3000ms);
    EXPECT_FALSE(hook_.recorderOpen());
    platform::SimulatedRecorder recorder(memory_);
    for (const auto& [slot, name] : {std::pair{1, "ab"}, {2, "cd"}, {4, "ef"}, {10, "zz"}}) {
        recorder.setPlayer(slot, name);
    }
    recorder.setAllied(2, true);
    recorder.setAllied(4, true);
    // Only states 1 and 3 mean recording; the state is a whole int32.
    for (const auto& [state, reading] :
         {std::pair{0, false}, {3, true}, {2, false}, {256 + 1, false}, {-1, false}, {1, true}}) {
        recorder.setState(state);
        loop_.advance(1000ms);
        EXPECT_EQ(hook_.reading(), reading) << state;
        if (state == 2) {  // the reading started at state 1 finds no allies
            recorder.setAllied(2, false);
            recorder.setAllied(4, false);
        }
    }
    EXPECT_EQ(memory_.openCount(), 1);  // open once, kept
    windows_.close(window_);
    loop_.advance(3000ms);
    EXPECT_FALSE(hook_.watching() || hook_.reading());
    EXPECT_EQ(room_.notices, std::vector<Gbk>{returnNotice(Gbk("alice"))});
    EXPECT_GE(room_.clearCalls, 1);
    // The reader ran after states 3 and 1 were seen: a snapshot is logged when it changes.
    const std::string players = "4 players reported by Recorder; ab, cd, ef, zz; Player:ab";
    EXPECT_EQ(logLines(), (std::vector<std::string>{players + " is allied with: cd, ef",
                                                    players + ", allied no one."}));
}

TEST_F(GameWatch, TheEverySecondCheckKeepsTheReadersRhythm) {
    platform::SimulatedRecorder recorder(memory_);
    recorder.setState(1);
    recorder.setPlayer(1, "ab");
    launch(true, false);
    hook_.Start();
    loop_.advance(1950ms);
    ASSERT_EQ(logLines().size(), 1U);
    recorder.setPlayer(2, "cd");
    loop_.advance(50ms);  // the reader's step at 2000 ms is due with the watch's
    EXPECT_EQ(logLines().size(), 2U);
}

// The entries as "code:name;exe|exe", with "*" when the mods file named the code again.
std::vector<std::string> shown(const TModList& mods) {
    std::vector<std::string> all;
    for (const TModItem& mod : mods.items()) {
        std::string text = mod.code.bytes() + ":" + mod.name.bytes() + ";";
        for (std::size_t i = 0; i < mod.exes.size(); ++i) {
            text += (i > 0 ? "|" : "") + mod.exes[i].bytes();
        }
        all.push_back(text + (mod.infile ? "*" : ""));
    }
    return all;
}

// Mods file lines are added after the built-ins and never change one. Codes compare as exact bytes,
// names ignore the case of Latin letters only. The executable is the first candidate found in its
// game's directory: one table for every row, the directories and files read at every call.
TEST(ModTable, ModsFileRowsCodesNamesAndTheExecutableFoundInItsGamesDirectory) {
    settings::Toptions options;
    platform::FakeFileSystem files;
    files.setExecutableDirectory(Gbk("C:\\Ardentis\\"));
    const Gbk modsFile("C:\\Ardentis\\mods.txt");
    const TModList builtIn(options, files);
    // The file, the rows it adds, the built-in code it repeats.
    const std::tuple<const char*, std::vector<std::string>, const char*> cases[] = {
        {"42:First;first.exe\n42:Second;second.exe\n", {"42:First;first.exe*"}, ""},
        {"00:Another Name;another.exe\n", {}, "00"},
        {"41 :Spaced; a.exe,,b.exe,\n48:Lead;,a.exe",
         {"41 :Spaced; a.exe||b.exe|", "48:Lead;|a.exe"},
         ""},
        {"\r\n\n# 40:Commented;c.exe\nno separators\nonly:colon\nonly;semicolon\n\r\n", {}, ""},
        {"43:A;a.exe\r44:B;b.exe\n45:C;c.exe\r\n46:D;d.exe",
         {"43:A;a.exe", "44:B;b.exe", "45:C;c.exe", "46:D;d.exe"},
         ""},
    };
    for (const auto& [file, added, marked] : cases) {
        SCOPED_TRACE(file);
        files.addFile(modsFile, file);
        std::vector<std::string> expected = shown(builtIn);
        for (std::string& mod : expected) {
            mod += mod.starts_with(std::string(marked) + ":") ? "*" : "";
        }
        expected.insert(expected.end(), added.begin(), added.end());
        EXPECT_EQ(shown(TModList(options, files)), expected);
    }
    const auto n = static_cast<int>(builtIn.items().size());
    // Two different GBK characters whose lead bytes differ by 0x20, as A and a do.
    files.addFile(modsFile,
                  "40:My Mod;first.exe,second.exe\n41 :Spaced;a.exe\n50:\xC1\xA1;c.exe\n51:" +
                      text::gbk("大战A").bytes() + ";d.exe\n52:my mod;e.exe\n");
    const TModList mods(options, files);
    const std::pair<const char*, int> indices[] = {{"40", n},  {"41 ", n + 1}, {"41", -1},
                                                   {"4", -1},  {"40 ", -1},    {"", -1},
                                                   {"sc", -1}, {"52", n + 4}};
    for (const auto& [code, index] : indices) {
        EXPECT_EQ(mods.IndexOfCode(Gbk(code)), index) << '"' << code << '"';
    }
    // "MY MOD" gives the last match.
    const std::pair<Gbk, const char*> names[] = {{Gbk("MY MOD"), "52"},
                                                 {Gbk("\xE1\xA1"), ""},
                                                 {Gbk("\xC1\xA1"), "50"},
                                                 {text::gbk("大战a"), "51"},
                                                 {Gbk("My Mo"), ""}};
    for (const auto& [name, code] : names) {
        EXPECT_EQ(mods.GetCodeByName(name), Gbk(code)) << name.bytes();
    }
    EXPECT_EQ(mods.GetNameByCode(Gbk("41 ")), Gbk("Spaced"));
    EXPECT_EQ(mods.GetNameByCode(Gbk("41")), Gbk());
    const std::array<const char*, 5> exePaths[] = {
        // TA and SC directories, file, code, path
        {"C:\\TA\\", "", "C:\\TA\\second.exe", "40", "C:\\TA\\second.exe"},
        {"E:\\TA\\", "", "C:\\TA\\first.exe", "40", ""},
        {"C:\\TA\\", "", "C:\\TA\\first.exe", "99", ""},
        {"", "", "first.exe", "40", ""},  // no directory set: nothing is installed
        {"", "D:\\SC\\", "first.exe", "40", "first.exe"},
        {"", "D:\\SC\\", "D:\\SC\\Supremecommander.exe", "SC", "D:\\SC\\Supremecommander.exe"},
        {"C:\\TA\\", "D:\\SC\\", "C:\\TA\\Supremecommander.exe", "SC", ""},
        {"C:\\TA\\", "D:\\SC\\", "D:\\SC\\first.exe", "40", ""},
    };
    for (const auto& [taDir, scDir, file, code, path] : exePaths) {
        SCOPED_TRACE(std::string(taDir) + " " + scDir + " " + code);
        options.TAdir = Gbk(taDir);
        options.SPCdir = Gbk(scDir);
        files.addFile(Gbk(file));
        EXPECT_EQ(mods.GetModExePath(Gbk(code)), Gbk(path));
        files.removeFile(Gbk(file));
    }
    // The first candidate found; the installed entries' names in table order replace the list.
    options.TAdir = Gbk("C:\\TA\\");
    for (const char* file : {"C:\\TA\\a.exe", "C:\\TA\\second.exe", "C:\\TA\\first.exe"}) {
        files.addFile(Gbk(file));
    }
    EXPECT_EQ(mods.GetModExePath(Gbk("40")), Gbk("C:\\TA\\first.exe"));
    std::vector<Gbk> list{Gbk("stale")};
    EXPECT_EQ(mods.FillInstalledMods(list), 2);
    EXPECT_EQ(list, (std::vector<Gbk>{Gbk("My Mod"), Gbk("Spaced")}));
}

// Every option differs from the others, so each line shows which one it is written from.
TEST(LaunchFiles, FilesGammaCommandLinesAndReturnNoticeHoldWhatTheGamesRead) {
    protocol::RoomRecord room;  // energy stays 0
    std::int8_t value = 0;
    for (std::int8_t* option : {&room.watch, &room.mapmode, &room.startpos, &room.cheat, &room.los,
                                &room.commander, &room.metal}) {
        *option = ++value;
    }
    room.unitlimit = 5;
    room.maxplayers = 9;
    EXPECT_EQ(hostIniText(room, Gbk("Comet Catcher"), Gbk("5.1.2.3"), text::zh<"玩家">()).bytes(),
              "[totala]\r\nwatching=1\r\nmapmode=2\r\nlocation=3\r\ncheats=4\r\nlos=5\r\n"
              "deathopt=6\r\nmetal=7000\r\nenergy=0\r\nmaxunits=250\r\nplayerlimit=9\r\n"
              "connect=1\r\naddress=5.1.2.3\r\npfs=3\r\nplayer=\xCD\xE6\xBC\xD2\r\npassword=\r\n"
              "session=\xCD\xE6\xBC\xD2's game\r\nprovider=MORVANE\r\nmission=Comet Catcher\r\n"
              "creator=1\r\ntournment=1\r\nlockOptions=0\r\n");
    EXPECT_EQ(clientIniText(Gbk("5.6.7.8"), Gbk("cd")).bytes(),
              "[totala]\r\nconnect=1\r\naddress=5.6.7.8\r\npfs=3\r\nplayer=cd\r\npassword=\r\n"
              "creator=0\r\n");
    platform::FakeRegistry registry;
    ASSERT_TRUE(writeGamma(registry));
    auto opened = registry.openKey(platform::RegistryHive::CurrentUser,
                                   "Software\\Cavedog Entertainment\\Total Annihilation");
    ASSERT_TRUE(opened);
    EXPECT_EQ((*opened)->readDword("gamma"), 12U) << "gamma is twelve under the game's key";
    // Supreme Commander hosts on its port, and only the code SC is it.
    EXPECT_EQ(launchCommand(Game::SupremeCommander, Role::Host, Gbk("ab"), Gbk()),
              (LaunchCommand{Gbk("/exitongameover /hostgame udp 5000 ab game of ab"),
                             platform::WindowMode::Normal}));
    for (const std::string code : {"sc", "00", "", "SC ", "SC"}) {
        EXPECT_EQ(gameOfCode(Gbk(code)) == Game::SupremeCommander, code == "SC") << code;
    }
    // The notice of a player back from battle is cut to 34 bytes.
    EXPECT_EQ(returnNotice(Gbk("ab")), Gbk("ab") + text::zh<"从战斗中返回。">());
    const Gbk longName("abcdefghijklmnopqrstuvw");  // 23 bytes: 11 left, five characters and a half
    EXPECT_EQ(returnNotice(longName), (longName + text::zh<"从战斗中返回。">()).left(34));
}

}  // namespace
}  // namespace ardentis::game
