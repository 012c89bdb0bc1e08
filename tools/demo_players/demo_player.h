#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <random>
#include <span>

#include "tests/e2e/headless_peer.h"
#include "text/gbk.h"

namespace ardentis::tools {

// How often a demo player does things; the tests run the same players much faster.
struct DemoTimings {
    std::chrono::milliseconds chatMin;
    std::chrono::milliseconds chatMax;
    // After a room that did not open, before the next try.
    std::chrono::milliseconds roomRetry;
    // Without a log-in for this long (a refusal, a server that was away), it starts afresh.
    std::chrono::milliseconds restartAfter;
};

struct DemoAccount {
    text::Gbk account;
    text::Gbk password;
    std::uint8_t lanHost;   // its virtual-LAN address is 10.140.0.lanHost, only ever in records
    text::Gbk roomComment;  // empty: it keeps no room
};

// One headless client that sits in the lobby of a server on loopback, says a friendly line
// now and then and, when it has a room comment, keeps a Total Annihilation room open.
class DemoPlayer {
  public:
    using Clock = std::chrono::steady_clock;

    DemoPlayer(DemoAccount account, std::uint16_t port, std::filesystem::path logFolder,
               const DemoTimings& timings, std::span<const text::Gbk> lines);

    // One round of the client's loop, then whatever is due; waits up to `wait` for a socket
    // when nothing ran. Returns whether anything ran.
    bool runOnce(std::chrono::milliseconds wait);

  private:
    void connect();
    void act();
    [[nodiscard]] bool loggedIn() const;
    void openRoom();
    void chat();
    void say(const text::Gbk& line);

    DemoAccount account_;
    std::uint16_t port_;
    std::filesystem::path logFolder_;
    DemoTimings timings_;
    std::span<const text::Gbk> lines_;
    std::mt19937 random_;
    std::unique_ptr<e2e::HeadlessPeer> peer_;
    Clock::time_point lastLoggedIn_;
    Clock::time_point nextChat_;
    Clock::time_point nextRoomTry_;
    int users_ = 0;  // in the lobby list when last looked
    std::optional<Clock::time_point> greetAt_;
};

}  // namespace ardentis::tools
