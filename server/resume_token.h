#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "protocol/lobby_message.h"

namespace ardentis::server::resume_token {

// A resumption token lets a client that logged in before log in again without a password
// hash: 16 random bytes as 32 lowercase hex digits. It travels in the log-in record and in
// LoginOk, its first half in sparam7 and its second in sparam8 (fields a user record leaves
// empty, so clients that know nothing of tokens ignore them). The store keeps its digest only.
inline constexpr std::size_t kLength = 32;

// A fresh token from libsodium's random source (initialised).
[[nodiscard]] std::string make();
// What the store keeps: a hex BLAKE2b digest, so a stolen database holds no usable token.
[[nodiscard]] std::string digest(std::string_view token);
// The token a record carries; empty when it carries none or one of the wrong form.
[[nodiscard]] std::string read(const protocol::LobbyMessage& message);
void write(std::string_view token, protocol::LobbyMessage& message);

}  // namespace ardentis::server::resume_token
