#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/fake/fake_game_windows.h"
#include "platform/file_system.h"

namespace ardentis::platform {

// Total Annihilation as the client meets it: a window titled "Total Annihilation" whose
// menu screens show the known colours at the places the client reads, that moves between
// screens on the clicks a player would make, and closes on the close message.
//
// Screens and moves (how the real game gets there is its own affair):
//   Connect (menu 5)  --click OK-->  host: Battleroom; joiner: GameList
//   GameList (menu 4) --click join--> Battleroom when the host's game answers, else JoinFailed
//   JoinFailed (44)   --click retry--> the same as joining again
//   Battleroom (6)    --everyone ready--> BattleroomReady (7)
//   BattleroomReady   --click start--> Battle (no menu)
//   Battle            --the test ends it--> Score (menu 8)
class SimulatedTotalAnnihilation final : public SimulatedWindow {
  public:
    enum class Screen : std::uint8_t {
        Loading,
        MainMenu,         // menu 2
        Multiplayer,      // menu 3
        GameList,         // menu 4
        JoinFailed,       // menu 44
        Connect,          // menu 5
        Battleroom,       // menu 6
        BattleroomReady,  // menu 7
        Battle,
        Score,  // menu 8
    };

    // What the launch file tells the game.
    struct Setup {
        bool host = false;  // creator=1
        text::Gbk address;
        text::Gbk player;
    };

    explicit SimulatedTotalAnnihilation(Setup setup) : setup_(std::move(setup)) {}

    // Reads the launch file that "-c NAME" names, in the executable's directory, as the game
    // does; nothing when the parameters name none or the file is missing.
    [[nodiscard]] static std::optional<Setup> readLaunchFile(const FileSystem& files,
                                                             const text::Gbk& executable,
                                                             const text::Gbk& parameters);

    [[nodiscard]] Rgb pixel(PixelPoint point) const override;
    [[nodiscard]] bool handle(std::uint32_t message, std::uintptr_t wParam,
                              std::intptr_t lParam) override;

    [[nodiscard]] Screen screen() const { return screen_; }
    void show(Screen screen) { screen_ = screen; }
    [[nodiscard]] const Setup& setup() const { return setup_; }
    // Whether a joiner's join reaches the host's game.
    void setHostAnswers(bool answers) { hostAnswers_ = answers; }
    // Every player in the game's own battle room is ready: the start button lights up.
    void everyoneReady();
    // A busy game shows its screen but does not act on clicks.
    void setIgnoresClicks(bool ignores) { ignoresClicks_ = ignores; }
    // The battle is over; the score screen shows.
    void endBattle();
    // The clicks the game acted on, as (x, y).
    [[nodiscard]] const std::vector<PixelPoint>& clicks() const { return clicks_; }

  private:
    void click(PixelPoint at);
    void join();

    Setup setup_;
    Screen screen_ = Screen::Connect;
    bool hostAnswers_ = true;
    bool ignoresClicks_ = false;
    std::optional<PixelPoint> pressedAt_;
    std::vector<PixelPoint> clicks_;
};

}  // namespace ardentis::platform
