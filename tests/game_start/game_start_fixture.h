#pragma once

#include <memory>
#include <string>
#include <vector>

#include "headless_fixture.h"
#include "platform/fake/simulated_supreme_commander.h"
#include "platform/fake/simulated_total_annihilation.h"

namespace ardentis::forms::testing {

// Virtual-LAN addresses for these tests. They only ever appear in launch files and
// records; nothing connects to them.
struct LanAddresses {
    std::vector<text::Gbk> hosts{text::Gbk("5.6.7.8"), text::Gbk("10.140.9.9")};
};

// A headless client whose machine runs the games it starts as simulations: a started
// Total Annihilation reads its launch file and opens its window at once.
class GameStartFixture : public HeadlessFixture {
  protected:
    GameStartFixture();

    // The most recently started simulated games.
    std::shared_ptr<platform::SimulatedTotalAnnihilation> ta_;
    platform::WindowHandle taWindow_ = platform::kNoWindow;
    // When false, a start opens no window, as when the game cannot run.
    bool gamesOpenWindows_ = true;

    void steps(int count);
    // Records of one kind among those sent since the last call to sentRecords.
    [[nodiscard]] static std::vector<protocol::LobbyMessage> ofKind(
        const std::vector<protocol::LobbyMessage>& records, int subcommand);
    [[nodiscard]] std::string launchFile(const char* name) const;
    // A player's ready state as the server relays it.
    void playerReady(const text::Gbk& roomno, const text::Gbk& account, std::int32_t state);
    [[nodiscard]] static protocol::LobbyMessage gameStart(const text::Gbk& roomno,
                                                          const text::Gbk& hostAddress,
                                                          const text::Gbk& host);

    LanAddresses lan_;
};

}  // namespace ardentis::forms::testing
