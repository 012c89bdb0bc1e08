#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <expected>
#include <span>
#include <string>
#include <string_view>

namespace ardentis::loadgen {

struct LoadOptions {
    std::string host = "127.0.0.1";  // loopback only
    std::uint16_t port = 8888;
    std::size_t clients = 100;
    std::size_t roomSize = 0;           // 0: everyone stays in the lobby and chats there
    double rate = 1.0;                  // records a second, per client, while measuring
    std::chrono::seconds duration{10};  // of the measurement
    std::size_t concurrentLogins = 64;  // log-ins under way at once
    std::string prefix = "lg";          // accounts are prefix + number
    std::string password = "load";
    std::chrono::seconds setupLimit{300};  // connecting and seating everyone, at most
    bool tls = false;                      // the server's TLS port, certificate unchecked
};

[[nodiscard]] std::expected<LoadOptions, std::string> parseLoadOptions(
    std::span<const std::string_view> arguments);
[[nodiscard]] std::string loadUsage();

}  // namespace ardentis::loadgen
