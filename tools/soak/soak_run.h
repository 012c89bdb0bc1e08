#pragma once

#include <array>
#include <asio/io_context.hpp>
#include <asio/ip/tcp.hpp>
#include <asio/steady_timer.hpp>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "tools/common/lobby_client.h"

namespace ardentis::tools {

// The faults a soak injects.
enum class Fault : std::uint8_t {
    CutMidRecord,
    StopReading,
    Burst,
    Garbage,
    Reconnect,
    SecondSession
};
inline constexpr std::size_t kFaultKinds = 6;

struct SoakOptions {
    std::size_t clients = 300;
    std::chrono::seconds duration{60};
    std::uint32_t seed = 1;
};

// Scripted users on one server for a while: log-ins and log-outs, rooms, chat, games and
// faults; every record each receives is checked against what that connection may see.
// At the end all but a few leave, and a fresh user's view of the lobby is checked.
class SoakRun : public ClientEvents {
  public:
    SoakRun(asio::io_context& io, SoakOptions options, asio::ip::tcp::endpoint server);

    void start();
    void onRecord(LobbyClient& client, const protocol::LobbyMessage& message) override;
    void onClosed(LobbyClient& client) override;

    // Prints the figures and every violation; false when there was one.
    [[nodiscard]] bool report() const;
    [[nodiscard]] bool finished() const noexcept { return finished_; }

  private:
    using Clock = std::chrono::steady_clock;

    void tick();
    void act(LobbyClient& client);
    void inject(LobbyClient& client);
    void settle();
    void observe();
    void evaluate();
    void finish();
    void violation(const std::string& what);
    void send(LobbyClient& client, const protocol::LobbyMessage& message);
    [[nodiscard]] bool isSecond(const LobbyClient& client) const;
    [[nodiscard]] int roll(int below) {
        return std::uniform_int_distribution(0, below - 1)(random_);
    }

    asio::io_context& io_;
    SoakOptions options_;
    asio::ip::tcp::endpoint server_;
    asio::steady_timer timer_;
    std::mt19937 random_;
    std::vector<std::shared_ptr<LobbyClient>> clients_;
    std::map<const LobbyClient*, std::set<std::string>> roomsSeen_;  // each one's room list
    std::map<const LobbyClient*, Clock::time_point> connectedAt_;
    std::set<const LobbyClient*> stayers_;
    std::shared_ptr<LobbyClient> observer_;
    // Second connections of users already on line; each takes its user over and leaves.
    std::set<std::shared_ptr<LobbyClient>> seconds_;
    // First connections whose user a second one took over: the server must end each soon.
    std::map<const LobbyClient*, Clock::time_point> replaced_;
    std::map<std::string, int> observedUsers_;
    std::set<std::string> observedRooms_;
    Clock::time_point end_;
    bool settling_ = false;
    bool finished_ = false;
    std::uint64_t sent_ = 0;
    std::uint64_t received_ = 0;
    std::uint64_t logins_ = 0;
    std::uint64_t refusals_ = 0;
    std::uint64_t cutOff_ = 0;  // connections the server ended
    std::uint64_t takeovers_ = 0;
    std::uint64_t roomsOpened_ = 0;
    std::uint64_t gamesStarted_ = 0;
    std::array<std::uint64_t, kFaultKinds> faults_{};
    std::uint64_t violations_ = 0;
    std::vector<std::string> firstViolations_;
};

}  // namespace ardentis::tools
