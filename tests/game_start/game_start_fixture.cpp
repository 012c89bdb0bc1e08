#include "game_start_fixture.h"

#include <chrono>

namespace ardentis::forms::testing {

using platform::SimulatedTotalAnnihilation;
using text::Gbk;

GameStartFixture::GameStartFixture() {
    machine_.launcher.onLaunch = [this](const platform::Launch& launch) {
        if (!gamesOpenWindows_) {
            return;
        }
        auto setup = SimulatedTotalAnnihilation::readLaunchFile(machine_.files, launch.path,
                                                                launch.parameters);
        if (!setup) {
            return;
        }
        ta_ = std::make_shared<SimulatedTotalAnnihilation>(*setup);
        taWindow_ = machine_.gameWindows.open(Gbk("Total Annihilation"), ta_);
    };
}

void GameStartFixture::steps(int count) {
    loop_.advance(std::chrono::milliseconds(10 * count));
}

std::vector<protocol::LobbyMessage> GameStartFixture::ofKind(
    const std::vector<protocol::LobbyMessage>& records, int subcommand) {
    std::vector<protocol::LobbyMessage> found;
    for (const auto& record : records) {
        if (record.command == protocol::command::kRoom && record.signedSubcommand() == subcommand) {
            found.push_back(record);
        }
    }
    return found;
}

std::string GameStartFixture::launchFile(const char* name) const {
    return machine_.files.readFile(Gbk(kTaDir) + Gbk(name)).value_or("<missing>");
}

void GameStartFixture::playerReady(const Gbk& roomno, const Gbk& account, std::int32_t state) {
    receive(playerState(roomno, account, state));
}

protocol::LobbyMessage GameStartFixture::gameStart(const Gbk& roomno, const Gbk& hostAddress,
                                                   const Gbk& host) {
    protocol::LobbyMessage message{};
    message.setKind(protocol::command::kRoom, protocol::subcommand::kGameStart);
    message.sparam1.set(roomno);
    message.sparam2.set(hostAddress);
    message.sparam3.set(host);
    return message;
}

}  // namespace ardentis::forms::testing
