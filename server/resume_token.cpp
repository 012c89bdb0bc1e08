#include "server/resume_token.h"

#include <sodium.h>

#include <algorithm>
#include <array>

namespace ardentis::server::resume_token {
namespace {

constexpr std::size_t kHalf = kLength / 2;

std::string hexOf(const unsigned char* bytes, std::size_t size) {
    std::string hex(size * 2 + 1, '\0');
    sodium_bin2hex(hex.data(), hex.size(), bytes, size);
    hex.pop_back();
    return hex;
}

bool isLowerHex(std::string_view text) {
    return std::ranges::all_of(
        text, [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

}  // namespace

std::string make() {
    std::array<unsigned char, kLength / 2> bytes{};
    randombytes_buf(bytes.data(), bytes.size());
    return hexOf(bytes.data(), bytes.size());
}

std::string digest(std::string_view token) {
    std::array<unsigned char, crypto_generichash_BYTES> out{};
    crypto_generichash(out.data(), out.size(), reinterpret_cast<const unsigned char*>(token.data()),
                       token.size(), nullptr, 0);
    return hexOf(out.data(), out.size());
}

std::string read(const protocol::LobbyMessage& message) {
    std::string token(message.sparam7.view());
    token += message.sparam8.view();
    if (token.size() != kLength || message.sparam7.view().size() != kHalf || !isLowerHex(token)) {
        return {};
    }
    return token;
}

void write(std::string_view token, protocol::LobbyMessage& message) {
    message.sparam7.set(token.substr(0, std::min(token.size(), kHalf)));
    message.sparam8.set(token.substr(std::min(token.size(), kHalf)));
}

}  // namespace ardentis::server::resume_token
