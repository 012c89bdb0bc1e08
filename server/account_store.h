#pragma once

#include <climits>
#include <cstdint>
#include <expected>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

namespace ardentis::server {

// One account as stored. Texts are GBK bytes, as on the wire.
struct Account {
    std::string account;
    std::string hash;  // libsodium's crypto_pwhash_str text
    std::string nickname;
    std::int8_t uflag = 0;
    std::int32_t uvalue1 = 0;
    std::int32_t uvalue2 = 0;
    std::int32_t uvalue3 = 0;
};

// A resumption token as stored: its digest, and when it lapses (seconds since the epoch).
struct StoredToken {
    std::string digest;
    std::int64_t expires = 0;
};

// What an administrator may hold against an account, until a time.
enum class Sanction : std::uint8_t { Ban = 1, Mute = 2 };

// Seconds since the epoch for a sanction without an end.
inline constexpr std::int64_t kForever = INT64_MAX;

struct StoreError {
    enum class Kind : std::uint8_t { Open, Exists, Query };
    Kind kind;
    std::string detail;  // SQLite's message, for the log
};

// Accounts, their resumption tokens and sanctions, and the message of the day in one SQLite
// file, created when missing; a file from before tokens or sanctions gains their tables when
// opened. Used from one thread.
class AccountStore {
  public:
    [[nodiscard]] static std::expected<AccountStore, StoreError> open(const std::string& path);

    [[nodiscard]] std::expected<std::optional<Account>, StoreError> find(std::string_view account);
    [[nodiscard]] std::expected<void, StoreError> add(const Account& account);
    // False when there was no such account. Its tokens go with it.
    [[nodiscard]] std::expected<bool, StoreError> remove(std::string_view account);
    // A new password hash, and none of the account's tokens any more. False when there was
    // no such account.
    [[nodiscard]] std::expected<bool, StoreError> setPassword(std::string_view account,
                                                              std::string_view hash);
    // Keeps a new token for the account. With `used`, only when the account holds that digest
    // unexpired at `now`, which then goes (a token works once): false when it does not. The
    // account's expired tokens and those beyond the newest few go meanwhile.
    [[nodiscard]] std::expected<bool, StoreError> storeToken(std::string_view account,
                                                             const StoredToken& fresh,
                                                             std::optional<std::string_view> used,
                                                             std::int64_t now);
    [[nodiscard]] std::expected<std::vector<Account>, StoreError> list();
    [[nodiscard]] std::expected<void, StoreError> setNickname(std::string_view account,
                                                              std::string_view nickname);
    // Holds the sanction against the account until then (wall-clock seconds), replacing one
    // held before. False when there is no such account.
    [[nodiscard]] std::expected<bool, StoreError> sanction(std::string_view account, Sanction kind,
                                                           std::int64_t until);
    // False when the account was not under that sanction.
    [[nodiscard]] std::expected<bool, StoreError> lift(std::string_view account, Sanction kind);
    // When the account's sanction ends, if it is in force at `now`.
    [[nodiscard]] std::expected<std::optional<std::int64_t>, StoreError> sanctionEnd(
        std::string_view account, Sanction kind, std::int64_t now);
    // The message each user gets after logging in (GBK); empty: none.
    [[nodiscard]] std::expected<void, StoreError> setMotd(std::string_view text);
    [[nodiscard]] std::expected<std::string, StoreError> motd();

  private:
    struct Close {
        void operator()(sqlite3* db) const noexcept;
    };
    explicit AccountStore(sqlite3* db) : db_(db) {}
    [[nodiscard]] StoreError error(StoreError::Kind kind) const;

    std::unique_ptr<sqlite3, Close> db_;
};

}  // namespace ardentis::server
