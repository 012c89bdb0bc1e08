#include "server/user_command.h"

#include <istream>
#include <optional>
#include <ostream>
#include <string>

#include "server/account_store.h"
#include "server/log.h"
#include "server/login_service.h"
#include "server/password_hasher.h"
#include "text/code_page.h"

namespace ardentis::server {
namespace {

// The longest password whose cipher fits the log-in record's 100 hex digits.
constexpr std::size_t kMaxPassword = 48;

std::expected<std::string, std::string> toGbk(const std::string& utf8, const char* what) {
    auto converted = text::fromUtf8(utf8);
    if (!converted) {
        return std::unexpected(std::string(what) + " is not valid UTF-8 or has no GBK form: " +
                               text::describe(converted.error()));
    }
    return converted->bytes();
}

// The password typed on the input, as GBK; nothing (and a line on `err`) when unusable.
std::optional<std::string> readPassword(std::istream& in, std::ostream& err) {
    std::string typed;
    std::getline(in, typed);
    if (!typed.empty() && typed.back() == '\r') {
        typed.pop_back();
    }
    const auto password = toGbk(typed, "the password");
    if (!password || password->empty() || password->size() > kMaxPassword) {
        err << (password ? "the password must be 1 to 48 bytes" : password.error()) << "\n";
        return std::nullopt;
    }
    return *password;
}

// The password's hash at the command's cost; nothing (and a line on `err`) without memory.
std::optional<std::string> hashOf(const std::string& password, const Command& command,
                                  std::ostream& err) {
    auto hash = PasswordHasher::hash(password, command.options.hashCost);
    if (!hash) {
        err << "not enough memory to hash the password\n";
        return std::nullopt;
    }
    return std::move(*hash);
}

int add(AccountStore& store, const Command& command, std::istream& in, std::ostream& out,
        std::ostream& err) {
    const auto account = toGbk(command.name, "NAME");
    if (!account || !isValidAccountName(*account)) {
        err << (account ? "NAME must be 1 to 20 bytes, without control characters or '>'"
                        : account.error())
            << "\n";
        return 2;
    }
    const auto password = readPassword(in, err);
    if (!password) {
        return 2;
    }
    const auto nickname = command.nickname ? toGbk(*command.nickname, "--nickname") : account;
    if (!nickname) {
        err << nickname.error() << "\n";
        return 2;
    }
    const auto hash = hashOf(*password, command, err);
    if (!hash) {
        return 1;
    }
    const Account created{*account, *hash, nickname->substr(0, 50), 0, 0, 0, 0};
    if (auto added = store.add(created); !added) {
        err << (added.error().kind == StoreError::Kind::Exists ? "account exists already"
                                                               : added.error().detail)
            << "\n";
        return 1;
    }
    out << "added " << command.name << "\n";
    return 0;
}

// A new password; the account's resumption tokens end with the old one.
int passwd(AccountStore& store, const Command& command, std::istream& in, std::ostream& out,
           std::ostream& err) {
    const auto account = toGbk(command.name, "NAME");
    if (!account) {
        err << account.error() << "\n";
        return 2;
    }
    const auto password = readPassword(in, err);
    if (!password) {
        return 2;
    }
    const auto hash = hashOf(*password, command, err);
    if (!hash) {
        return 1;
    }
    const auto changed = store.setPassword(*account, *hash);
    if (!changed || !*changed) {
        err << (changed ? "no account " + command.name : changed.error().detail) << "\n";
        return 1;
    }
    out << "password of " << command.name << " changed\n";
    return 0;
}

int list(AccountStore& store, std::ostream& out, std::ostream& err) {
    const auto accounts = store.list();
    if (!accounts) {
        err << accounts.error().detail << "\n";
        return 1;
    }
    for (const Account& account : *accounts) {
        out << log::text(account.account) << "\t" << log::text(account.nickname) << "\n";
    }
    return 0;
}

int remove(AccountStore& store, const Command& command, std::ostream& out, std::ostream& err) {
    const auto account = toGbk(command.name, "NAME");
    if (!account) {
        err << account.error() << "\n";
        return 2;
    }
    const auto removed = store.remove(*account);
    if (!removed) {
        err << removed.error().detail << "\n";
        return 1;
    }
    if (!*removed) {
        err << "no account " << command.name << "\n";
        return 1;
    }
    out << "removed " << command.name << "\n";
    return 0;
}

}  // namespace

int runUserCommand(const Command& command, std::istream& in, std::ostream& out, std::ostream& err) {
    auto store = AccountStore::open(command.options.database);
    if (!store) {
        err << "cannot open " << command.options.database << ": " << store.error().detail << "\n";
        return 1;
    }
    switch (command.kind) {
        case CommandKind::UserAdd:
            return add(*store, command, in, out, err);
        case CommandKind::UserPasswd:
            return passwd(*store, command, in, out, err);
        case CommandKind::UserList:
            return list(*store, out, err);
        case CommandKind::UserRemove:
            return remove(*store, command, out, err);
        default:
            return 2;
    }
}

}  // namespace ardentis::server
