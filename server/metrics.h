#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace ardentis::server {

// How long records wait to be written, in buckets fixed at compile time: an observation is a
// few additions, no allocation.
class LatencyHistogram {
  public:
    // Upper bounds in seconds; a last, open bucket takes the rest.
    static constexpr std::array<double, 12> kBounds{0.0001, 0.00025, 0.0005, 0.001, 0.0025, 0.005,
                                                    0.01,   0.025,   0.05,   0.1,   0.25,   1.0};

    void observe(std::chrono::steady_clock::duration wait) noexcept;
    // Appends the Prometheus lines of a histogram called `name`.
    void render(std::string& out, const char* name) const;

  private:
    std::array<std::uint64_t, kBounds.size() + 1> buckets_{};
    std::uint64_t count_ = 0;
    std::chrono::steady_clock::duration sum_{};
};

// The server's running counts. Plain integers: only the event loop's thread touches them.
struct ServerMetrics {
    std::uint64_t bytesIn = 0;      // read from clients, after TLS
    std::uint64_t recordsOut = 0;   // handed to the sockets
    std::uint64_t floodDrops = 0;   // records dropped by the flood limits
    std::uint64_t slowCutOffs = 0;  // readers cut off for what waited behind a write
    std::uint64_t failedLogins = 0;
    LatencyHistogram delivery;  // a record queued on an idle connection until written in full
};

// What a scrape reads from the lobby and the connections at the time.
struct ServerGauges {
    std::size_t connections = 0;
    std::size_t online = 0;  // logged in, held seats included
    std::size_t held = 0;    // seats held for users without a connection
    std::size_t roomsWaiting = 0;
    std::size_t roomsPlaying = 0;
    std::size_t queuedBytes = 0;
    std::span<const std::uint64_t> lobbyRecords;  // taken in by the lobby, by command
};

// The Prometheus text format of both.
[[nodiscard]] std::string renderMetrics(const ServerMetrics& metrics, const ServerGauges& gauges);

}  // namespace ardentis::server
