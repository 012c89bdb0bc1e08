#include "server/user_command.h"

#include <istream>
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

int add(AccountStore& store, const Command& command, std::istream& in, std::ostream& out,
        std::ostream& err) {
    const auto account = toGbk(command.name, "NAME");
    if (!account || !isValidAccountName(*account)) {
        err << (account ? "NAME must be 1 to 20 bytes, without control characters or '>'"
                        : account.error())
            << "\n";
        return 2;
    }
    std::string typed;
    std::getline(in, typed);
    if (!typed.empty() && typed.back() == '\r') {
        typed.pop_back();
    }
    const auto password = toGbk(typed, "the password");
    if (!password || password->empty() || password->size() > kMaxPassword) {
        err << (password ? "the password must be 1 to 48 bytes" : password.error()) << "\n";
        return 2;
    }
    const auto nickname = command.nickname ? toGbk(*command.nickname, "--nickname") : account;
    if (!nickname) {
        err << nickname.error() << "\n";
        return 2;
    }
    const auto hash = PasswordHasher::hash(*password, command.options.hashCost);
    if (!hash) {
        err << "not enough memory to hash the password\n";
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
        case CommandKind::UserList:
            return list(*store, out, err);
        case CommandKind::UserRemove:
            return remove(*store, command, out, err);
        default:
            return 2;
    }
}

}  // namespace ardentis::server
