#include "server/account_store.h"

#include <sqlite3.h>

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
    " uvalue3 INTEGER NOT NULL DEFAULT 0);";

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
    if (sqlite3_exec(raw, kSchema, nullptr, nullptr, nullptr) != SQLITE_OK) {
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
    const Statement statement = prepare(db_.get(), "DELETE FROM accounts WHERE account = ?");
    if (!statement) {
        return std::unexpected(error(StoreError::Kind::Query));
    }
    bindBytes(statement.get(), 1, account);
    if (sqlite3_step(statement.get()) != SQLITE_DONE) {
        return std::unexpected(error(StoreError::Kind::Query));
    }
    return sqlite3_changes(db_.get()) > 0;
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

}  // namespace ardentis::server
