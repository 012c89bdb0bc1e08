#include "server/account_store.h"

#include <sqlite3.h>

#include <variant>

namespace ardentis::server {
namespace {

constexpr const char* kSchema =
    "PRAGMA journal_mode=WAL;"
    "PRAGMA synchronous=NORMAL;"
    "CREATE TABLE IF NOT EXISTS accounts("
    " account BLOB PRIMARY KEY NOT NULL,"
    " hash TEXT NOT NULL,"
    " nickname BLOB NOT NULL,"
    " uflag INTEGER NOT NULL DEFAULT 0,"
    " uvalue1 INTEGER NOT NULL DEFAULT 0,"
    " uvalue2 INTEGER NOT NULL DEFAULT 0,"
    " uvalue3 INTEGER NOT NULL DEFAULT 0);"
    "CREATE TABLE IF NOT EXISTS sanctions("
    " account BLOB NOT NULL,"
    " kind INTEGER NOT NULL,"
    " until INTEGER NOT NULL,"
    " PRIMARY KEY(account, kind));"
    "CREATE TABLE IF NOT EXISTS notices("
    " name TEXT PRIMARY KEY NOT NULL,"
    " body BLOB NOT NULL);";

// Version 1 adds the resumption tokens to the accounts. What a file lacks is added in one
// transaction when it is opened, so a file from an older server opens as it was.
constexpr const char* kTokensSchema =
    "CREATE TABLE IF NOT EXISTS tokens("
    " digest BLOB PRIMARY KEY NOT NULL,"
    " account BLOB NOT NULL,"
    " expires INTEGER NOT NULL);"
    "CREATE INDEX IF NOT EXISTS tokens_account ON tokens(account);"
    "CREATE INDEX IF NOT EXISTS tokens_expires ON tokens(expires);"
    "PRAGMA user_version = 1;";
constexpr int kSchemaVersion = 1;

// Tokens kept per account (one per client the user logs in from); older ones go first.
constexpr int kKeptTokens = 8;

constexpr const char* kColumns = "account, hash, nickname, uflag, uvalue1, uvalue2, uvalue3";

struct Finalize {
    void operator()(sqlite3_stmt* statement) const noexcept { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, Finalize>;

Statement prepare(sqlite3* db, const std::string& sql) {
    sqlite3_stmt* raw = nullptr;
    sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &raw, nullptr);
    return Statement(raw);
}

void bindBytes(sqlite3_stmt* statement, int index, std::string_view bytes) {
    // A null pointer would bind NULL; an empty text is a zero-length blob.
    sqlite3_bind_blob(statement, index, bytes.empty() ? "" : bytes.data(),
                      static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
}

std::string columnBytes(sqlite3_stmt* statement, int index) {
    const auto* data = static_cast<const char*>(sqlite3_column_blob(statement, index));
    const int size = sqlite3_column_bytes(statement, index);
    return data == nullptr ? std::string() : std::string(data, static_cast<std::size_t>(size));
}

using Value = std::variant<std::string_view, std::int64_t>;

// Runs one statement with its values bound in order; false when it fails.
bool run(sqlite3* db, const std::string& sql, std::initializer_list<Value> values) {
    const Statement statement = prepare(db, sql);
    if (!statement) {
        return false;
    }
    int index = 0;
    for (const Value& value : values) {
        ++index;
        if (const auto* bytes = std::get_if<std::string_view>(&value)) {
            bindBytes(statement.get(), index, *bytes);
        } else {
            sqlite3_bind_int64(statement.get(), index, std::get<std::int64_t>(value));
        }
    }
    return sqlite3_step(statement.get()) == SQLITE_DONE;
}

// A write transaction, rolled back unless committed.
class Transaction {
  public:
    explicit Transaction(sqlite3* db)
        : db_(db),
          open_(sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK) {}
    ~Transaction() {
        if (open_) {
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        }
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    [[nodiscard]] bool began() const noexcept { return open_; }
    [[nodiscard]] bool commit() {
        if (!open_ || sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
            return false;  // still open: the destructor rolls it back
        }
        open_ = false;
        return true;
    }

  private:
    sqlite3* db_;
    bool open_;
};

int schemaVersion(sqlite3* db) {
    const Statement statement = prepare(db, "PRAGMA user_version");
    return statement && sqlite3_step(statement.get()) == SQLITE_ROW
               ? sqlite3_column_int(statement.get(), 0)
               : -1;
}

bool migrate(sqlite3* db) {
    if (schemaVersion(db) >= kSchemaVersion) {
        return true;
    }
    Transaction transaction(db);
    return transaction.began() &&
           sqlite3_exec(db, kTokensSchema, nullptr, nullptr, nullptr) == SQLITE_OK &&
           transaction.commit();
}

Account readAccount(sqlite3_stmt* statement) {
    Account account;
    account.account = columnBytes(statement, 0);
    account.hash = columnBytes(statement, 1);
    account.nickname = columnBytes(statement, 2);
    account.uflag = static_cast<std::int8_t>(sqlite3_column_int(statement, 3));
    account.uvalue1 = sqlite3_column_int(statement, 4);
    account.uvalue2 = sqlite3_column_int(statement, 5);
    account.uvalue3 = sqlite3_column_int(statement, 6);
    return account;
}

}  // namespace

void AccountStore::Close::operator()(sqlite3* db) const noexcept {
    sqlite3_close(db);
}

StoreError AccountStore::error(StoreError::Kind kind) const {
    return StoreError{kind, sqlite3_errmsg(db_.get())};
}

std::expected<AccountStore, StoreError> AccountStore::open(const std::string& path) {
    sqlite3* raw = nullptr;
    const int rc =
        sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    AccountStore store(raw);
    if (rc != SQLITE_OK) {
        return std::unexpected(store.error(StoreError::Kind::Open));
    }
    // Another process (the user command beside a running server) may hold the file.
    sqlite3_busy_timeout(raw, 2000);
    if (sqlite3_exec(raw, kSchema, nullptr, nullptr, nullptr) != SQLITE_OK || !migrate(raw)) {
        return std::unexpected(store.error(StoreError::Kind::Open));
    }
    return store;
}

std::expected<std::optional<Account>, StoreError> AccountStore::find(std::string_view account) {
    const Statement statement =
        prepare(db_.get(), std::string("SELECT ") + kColumns + " FROM accounts WHERE account = ?");
    if (!statement) {
        return std::unexpected(error(StoreError::Kind::Query));
    }
    bindBytes(statement.get(), 1, account);
    const int rc = sqlite3_step(statement.get());
    if (rc == SQLITE_ROW) {
        return readAccount(statement.get());
    }
    if (rc == SQLITE_DONE) {
        return std::optional<Account>();
    }
    return std::unexpected(error(StoreError::Kind::Query));
}

std::expected<void, StoreError> AccountStore::add(const Account& account) {
    const Statement statement = prepare(
        db_.get(), std::string("INSERT INTO accounts (") + kColumns + ") VALUES (?,?,?,?,?,?,?)");
    if (!statement) {
        return std::unexpected(error(StoreError::Kind::Query));
    }
    sqlite3_stmt* s = statement.get();
    bindBytes(s, 1, account.account);
    sqlite3_bind_text(s, 2, account.hash.c_str(), -1, SQLITE_TRANSIENT);
    bindBytes(s, 3, account.nickname);
    sqlite3_bind_int(s, 4, account.uflag);
    sqlite3_bind_int(s, 5, account.uvalue1);
    sqlite3_bind_int(s, 6, account.uvalue2);
    sqlite3_bind_int(s, 7, account.uvalue3);
    const int rc = sqlite3_step(s);
    if (rc == SQLITE_DONE) {
        return {};
    }
    const bool exists = sqlite3_extended_errcode(db_.get()) == SQLITE_CONSTRAINT_PRIMARYKEY;
    return std::unexpected(error(exists ? StoreError::Kind::Exists : StoreError::Kind::Query));
}

std::expected<bool, StoreError> AccountStore::remove(std::string_view account) {
    Transaction transaction(db_.get());
    if (!transaction.began() ||
        !run(db_.get(), "DELETE FROM tokens WHERE account = ?", {account}) ||
        !run(db_.get(), "DELETE FROM accounts WHERE account = ?", {account})) {
        return std::unexpected(error(StoreError::Kind::Query));
    }
    const bool removed = sqlite3_changes(db_.get()) > 0;
    if (!transaction.commit()) {
        return std::unexpected(error(StoreError::Kind::Query));
    }
    return removed;
}

std::expected<bool, StoreError> AccountStore::setPassword(std::string_view account,
                                                          std::string_view hash) {
    Transaction transaction(db_.get());
    if (!transaction.began() ||
        !run(db_.get(), "UPDATE accounts SET hash = CAST(? AS TEXT) WHERE account = ?",
             {hash, account})) {
        return std::unexpected(error(StoreError::Kind::Query));
    }
    const bool changed = sqlite3_changes(db_.get()) > 0;
    if (!run(db_.get(), "DELETE FROM tokens WHERE account = ?", {account}) ||
        !transaction.commit()) {
        return std::unexpected(error(StoreError::Kind::Query));
    }
    return changed;
}

std::expected<bool, StoreError> AccountStore::storeToken(std::string_view account,
                                                         const StoredToken& fresh,
                                                         std::optional<std::string_view> used,
                                                         std::int64_t now) {
    sqlite3* db = db_.get();
    Transaction transaction(db);
    if (!transaction.began()) {
        return std::unexpected(error(StoreError::Kind::Query));
    }
    if (used) {
        if (!run(db, "DELETE FROM tokens WHERE digest = ? AND account = ? AND expires > ?",
                 {*used, account, now})) {
            return std::unexpected(error(StoreError::Kind::Query));
        }
        if (sqlite3_changes(db) == 0) {
            return false;  // rolled back: nothing was written
        }
    }
    const bool kept =
        run(db, "INSERT INTO tokens (digest, account, expires) VALUES (?, ?, ?)",
            {fresh.digest, account, fresh.expires}) &&
        run(db, "DELETE FROM tokens WHERE expires <= ?", {now}) &&
        run(db,
            "DELETE FROM tokens WHERE account = ?1 AND rowid NOT IN (SELECT rowid FROM tokens"
            " WHERE account = ?1 ORDER BY rowid DESC LIMIT " +
                std::to_string(kKeptTokens) + ")",
            {account});
    if (!kept || !transaction.commit()) {
        return std::unexpected(error(StoreError::Kind::Query));
    }
    return true;
}

std::expected<std::vector<Account>, StoreError> AccountStore::list() {
    const Statement statement =
        prepare(db_.get(), std::string("SELECT ") + kColumns + " FROM accounts ORDER BY account");
    if (!statement) {
        return std::unexpected(error(StoreError::Kind::Query));
    }
    std::vector<Account> accounts;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
        accounts.push_back(readAccount(statement.get()));
    }
    if (rc != SQLITE_DONE) {
        return std::unexpected(error(StoreError::Kind::Query));
    }
    return accounts;
}

std::expected<void, StoreError> AccountStore::setNickname(std::string_view account,
                                                          std::string_view nickname) {
    const Statement statement =
        prepare(db_.get(), "UPDATE accounts SET nickname = ? WHERE account = ?");
    if (!statement) {
        return std::unexpected(error(StoreError::Kind::Query));
    }
    bindBytes(statement.get(), 1, nickname);
    bindBytes(statement.get(), 2, account);
    if (sqlite3_step(statement.get()) != SQLITE_DONE) {
        return std::unexpected(error(StoreError::Kind::Query));
    }
    return {};
}

std::expected<bool, StoreError> AccountStore::sanction(std::string_view account, Sanction kind,
                                                       std::int64_t until) {
    auto found = find(account);
    if (!found) {
        return std::unexpected(found.error());
    }
    if (!*found) {
        return false;
    }
    if (!run(db_.get(), "INSERT OR REPLACE INTO sanctions (account, kind, until) VALUES (?,?,?)",
             {account, static_cast<std::int64_t>(kind), until})) {
        return std::unexpected(error(StoreError::Kind::Query));
    }
    return true;
}

std::expected<bool, StoreError> AccountStore::lift(std::string_view account, Sanction kind) {
    if (!run(db_.get(), "DELETE FROM sanctions WHERE account = ? AND kind = ?",
             {account, static_cast<std::int64_t>(kind)})) {
        return std::unexpected(error(StoreError::Kind::Query));
    }
    return sqlite3_changes(db_.get()) > 0;
}

std::expected<std::optional<std::int64_t>, StoreError> AccountStore::sanctionEnd(
    std::string_view account, Sanction kind, std::int64_t now) {
    const Statement statement = prepare(
        db_.get(), "SELECT until FROM sanctions WHERE account = ? AND kind = ? AND until > ?");
    if (!statement) {
        return std::unexpected(error(StoreError::Kind::Query));
    }
    bindBytes(statement.get(), 1, account);
    sqlite3_bind_int64(statement.get(), 2, static_cast<std::int64_t>(kind));
    sqlite3_bind_int64(statement.get(), 3, now);
    const int rc = sqlite3_step(statement.get());
    if (rc == SQLITE_ROW) {
        return sqlite3_column_int64(statement.get(), 0);
    }
    if (rc == SQLITE_DONE) {
        return std::optional<std::int64_t>();
    }
    return std::unexpected(error(StoreError::Kind::Query));
}

std::expected<void, StoreError> AccountStore::setMotd(std::string_view text) {
    const bool done =
        text.empty()
            ? run(db_.get(), "DELETE FROM notices WHERE name = 'motd'", {})
            : run(db_.get(), "INSERT OR REPLACE INTO notices (name, body) VALUES ('motd', ?)",
                  {text});
    if (!done) {
        return std::unexpected(error(StoreError::Kind::Query));
    }
    return {};
}

std::expected<std::string, StoreError> AccountStore::motd() {
    const Statement statement = prepare(db_.get(), "SELECT body FROM notices WHERE name = 'motd'");
    if (!statement) {
        return std::unexpected(error(StoreError::Kind::Query));
    }
    const int rc = sqlite3_step(statement.get());
    if (rc == SQLITE_ROW) {
        return columnBytes(statement.get(), 0);
    }
    if (rc == SQLITE_DONE) {
        return std::string();
    }
    return std::unexpected(error(StoreError::Kind::Query));
}

}  // namespace ardentis::server
