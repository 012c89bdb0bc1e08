#include "server/password_hasher.h"

#include <sodium.h>

#include <array>

namespace ardentis::server {
namespace {

struct Limits {
    unsigned long long ops;
    std::size_t memory;
};

Limits limitsOf(HashCost cost) {
    switch (cost) {
        case HashCost::Moderate:
            return {crypto_pwhash_OPSLIMIT_MODERATE, crypto_pwhash_MEMLIMIT_MODERATE};
        case HashCost::Minimum:
            return {crypto_pwhash_OPSLIMIT_MIN, crypto_pwhash_MEMLIMIT_MIN};
        case HashCost::Interactive:
            break;
    }
    return {crypto_pwhash_OPSLIMIT_INTERACTIVE, crypto_pwhash_MEMLIMIT_INTERACTIVE};
}

}  // namespace

bool PasswordHasher::initialise() noexcept {
    return sodium_init() >= 0;
}

std::expected<std::string, HashError> PasswordHasher::hash(std::string_view password,
                                                           HashCost cost) {
    std::array<char, crypto_pwhash_STRBYTES> out{};
    const Limits limits = limitsOf(cost);
    if (crypto_pwhash_str_alg(out.data(), password.data(), password.size(), limits.ops,
                              limits.memory, crypto_pwhash_ALG_ARGON2ID13) != 0) {
        return std::unexpected(HashError::OutOfMemory);
    }
    return std::string(out.data());
}

bool PasswordHasher::verify(const std::string& hash, std::string_view password) {
    return crypto_pwhash_str_verify(hash.c_str(), password.data(), password.size()) == 0;
}

}  // namespace ardentis::server
