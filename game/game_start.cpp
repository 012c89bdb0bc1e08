#include "game/game_start.h"

#include <utility>

#include "settings/system_helpers.h"

namespace ardentis::game {

GameStart::GameStart(Machine machine, Plan plan)
    : machine_(std::move(machine)), plan_(std::move(plan)) {}

text::Gbk GameStart::launchFilePath() const {
    return plan_.taDir + text::Gbk(plan_.role == Role::Host ? kHostIniName : kClientIniName);
}

std::expected<void, platform::OsError> GameStart::writeLaunchFile() {
    if (!totalAnnihilation()) {
        return {};
    }
    if (plan_.role == Role::Host) {
        return createhostinifile(machine_.files, plan_.taDir, plan_.options, plan_.map, plan_.vnnip,
                                 plan_.account);
    }
    return createclientinifile(machine_.files, plan_.taDir, plan_.hostip, plan_.account);
}

std::expected<void, GameStart::LaunchError> GameStart::launch() {
    if (totalAnnihilation()) {
        (void)settings::DisableTaskKeys(machine_.system);
        (void)writeGamma(machine_.registry);
    }
    const LaunchCommand command =
        launchCommand(plan_.game, plan_.role, plan_.account, plan_.hostip);
    // A start the shell accepts is confirmed only by the game's window; one it refuses
    // will never open one, so there is nothing to wait for.
    const auto started =
        machine_.launcher.shellExecute(plan_.exePath, command.parameters, command.mode);
    std::expected<void, LaunchError> outcome;
    if (!started) {
        outcome = std::unexpected(LaunchError{Failure::ShellRefused, started.error()});
    } else if (!waitForWindow()) {
        outcome = std::unexpected(LaunchError{Failure::NoWindow, {}});
    }
    if (!outcome && totalAnnihilation()) {
        (void)settings::EnableTaskKeys(machine_.system);
    }
    return outcome;
}

bool GameStart::waitForWindow() const {
    const text::Gbk title(totalAnnihilation() ? "Total Annihilation" : "Supreme Commander");
    const auto started = machine_.loop.now();
    for (;;) {
        machine_.wait(kWindowPoll);
        if (machine_.windows.findWindow(title) != platform::kNoWindow) {
            return true;
        }
        if (machine_.loop.now() - started >= kWindowLimit) {
            return false;
        }
    }
}

}  // namespace ardentis::game
