#pragma once

#include <cstdint>
#include <expected>
#include <string>
#include <string_view>

namespace ardentis::server {

// How much work and memory a password hash takes (libsodium's Argon2id presets).
enum class HashCost : std::uint8_t { Interactive, Moderate, Minimum };

enum class HashError : std::uint8_t { OutOfMemory };

// Memory-hard password hashes. Slow on purpose: call off the event loop.
class PasswordHasher {
  public:
    // Once per process, before any hash.
    [[nodiscard]] static bool initialise() noexcept;
    [[nodiscard]] static std::expected<std::string, HashError> hash(std::string_view password,
                                                                    HashCost cost);
    [[nodiscard]] static bool verify(const std::string& hash, std::string_view password);
};

}  // namespace ardentis::server
