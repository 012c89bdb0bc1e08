#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "server/account_store.h"
#include "server/lobby.h"

namespace ardentis::server {

// Now, in seconds since the epoch: sanctions and tokens end by the wall clock, so they hold
// across restarts.
[[nodiscard]] std::int64_t wallSeconds();
// "2026-12-07T18:00:00Z", or "forever" for kForever.
[[nodiscard]] std::string formatUntil(std::int64_t until);
// A time as formatUntil writes it (never "forever"); nothing when it is not one.
[[nodiscard]] std::optional<std::int64_t> parseUntil(std::string_view text);
// "30m", "12h", "7d" (also "90s"), in seconds; nothing when it is not one.
[[nodiscard]] std::optional<std::int64_t> parseDuration(std::string_view text);

// The longest message of the day in bytes of GBK: the lobby chat field holds 100 with the
// empty sender's ">>".
inline constexpr std::size_t kMaxMotd = 98;

// Carries out the control socket's requests: one line of tab-separated fields, the verb
// first ("ban\tACCOUNT\tUNTIL", "motd\tTEXT"; texts in GBK), answered "ok ..." or
// "error ...". Every action is logged with the account and until when.
class Moderation {
  public:
    // Ends the account's connection, if it has one; true when it had.
    using Kick = std::function<bool(std::string_view account, std::string_view reason)>;

    Moderation(AccountStore& store, Lobby& lobby, Kick kick);

    [[nodiscard]] std::string handle(std::string_view request);
    // Whether the account's chat is dropped now.
    [[nodiscard]] bool muted(std::string_view account);
    // The stored message of the day goes to the lobby, for log-ins from now on.
    void loadMotd();

  private:
    std::string kick(std::string_view account);
    std::string impose(std::string_view account, Sanction kind, std::string_view until);
    std::string lift(std::string_view account, Sanction kind);
    std::string motd(std::string_view text);

    AccountStore& store_;
    Lobby& lobby_;
    Kick kick_;
};

}  // namespace ardentis::server
