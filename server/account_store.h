#pragma once

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

struct StoreError {
    enum class Kind : std::uint8_t { Open, Exists, Query };
    Kind kind;
    std::string detail;  // SQLite's message, for the log
};

// Accounts and their resumption tokens in one SQLite file, created when missing; a file
// from before tokens gains their table when opened. Used from one thread.
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

  private:
    struct Close {
        void operator()(sqlite3* db) const noexcept;
    };
    explicit AccountStore(sqlite3* db) : db_(db) {}
    [[nodiscard]] StoreError error(StoreError::Kind kind) const;

    std::unique_ptr<sqlite3, Close> db_;
};

}  // namespace ardentis::server
