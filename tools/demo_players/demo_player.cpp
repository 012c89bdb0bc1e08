#include "tools/demo_players/demo_player.h"

#include <utility>

namespace ardentis::tools {

DemoPlayer::DemoPlayer(DemoAccount account, std::uint16_t port, std::filesystem::path logFolder,
                       const DemoTimings& timings, std::span<const text::Gbk> lines)
    : account_(std::move(account)),
      port_(port),
      logFolder_(std::move(logFolder)),
      timings_(timings),
      lines_(lines),
      random_(std::random_device{}()) {
    connect();
}

void DemoPlayer::connect() {
    peer_.reset();  // the old client's workers end before the new one starts
    peer_ = std::make_unique<e2e::HeadlessPeer>(logFolder_, account_.account, account_.password,
                                                port_, account_.lanHost);
    peer_->start();
    const Clock::time_point now = Clock::now();
    lastLoggedIn_ = now;
    nextRoomTry_ = now;
    users_ = 0;
    greetAt_.reset();
    // The first line comes soon, so that a fresh lobby does not look silent for long.
    nextChat_ = now + timings_.chatMin / 4;
}

bool DemoPlayer::runOnce(std::chrono::milliseconds wait) {
    const bool ran = peer_->loop().runOnce(wait);
    act();
    return ran;
}

bool DemoPlayer::loggedIn() const {
    return !peer_->ui().client.currentUser.account.empty();
}

void DemoPlayer::act() {
    const Clock::time_point now = Clock::now();
    if (!loggedIn()) {
        // The client comes back by itself after a drop; one it gave up on starts afresh.
        if (now - lastLoggedIn_ > timings_.restartAfter) {
            connect();
        }
        return;
    }
    lastLoggedIn_ = now;
    if (!account_.roomComment.empty() && now >= nextRoomTry_ &&
        peer_->ui().client.connection()->lobby.myroom == nullptr) {
        nextRoomTry_ = now + timings_.roomRetry;
        openRoom();
    }
    // Someone new in the lobby is greeted soon with the first line, so that a user who
    // has just come in sees the chat alive.
    const int users = peer_->ui().main.lvlobby.rowCount();
    const bool newcomer = users > users_;
    users_ = users;
    if (newcomer && !lines_.empty()) {
        greetAt_ = now + timings_.chatMin / 16;
    }
    if (greetAt_ && now >= *greetAt_) {
        greetAt_.reset();
        say(lines_.front());
    }
    if (now >= nextChat_) {
        chat();
        std::uniform_int_distribution<std::chrono::milliseconds::rep> pause(
            timings_.chatMin.count(), timings_.chatMax.count());
        nextChat_ = now + std::chrono::milliseconds(pause(random_));
    }
}

void DemoPlayer::openRoom() {
    forms::HeadlessClient& ui = peer_->ui();
    if (!ui.main.BitBtn2.click()) {
        return;
    }
    ui.battleroom.gamecomments.setText(account_.roomComment);
    (void)ui.battleroom.BitBtn1.click();
}

void DemoPlayer::chat() {
    if (lines_.empty()) {
        return;
    }
    std::uniform_int_distribution<std::size_t> pick(0, lines_.size() - 1);
    say(lines_[pick(random_)]);
}

void DemoPlayer::say(const text::Gbk& line) {
    forms::MemoryMemo& send = peer_->ui().main.MemSend;
    send.typeLine(line);
    send.clear();  // what was said is gone from the box, as after a user's Enter
}

}  // namespace ardentis::tools
