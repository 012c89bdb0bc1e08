#pragma once

#include <functional>
#include <optional>
#include <string>

#include "protocol/user_record.h"
#include "server/account_store.h"
#include "server/hash_worker.h"
#include "server/login_grant.h"
#include "server/login_throttle.h"
#include "server/options.h"

namespace ardentis::server {

// Checks a log-in: throttles failures per address, looks the account up, lets an unexpired
// resumption token of the account in at once (a banned account gets in by neither) (it is used up),
// or else has the password hash verified on the worker (or, with auto-registration, a new account
// hashed and stored), and answers on the event loop, never from inside check(). A good log-in gets
// a new token.
class LoginService {
  public:
    // The grant when the log-in is good; nothing when it is not.
    using Done = std::function<void(std::optional<LoginGrant>)>;
    using Post = std::function<void(std::function<void()>)>;

    LoginService(const ServerOptions& options, AccountStore& store, HashWorker& worker, Post post);

    void check(LoginAttempt attempt, std::string address, Done done);
    // Keeps a user's new nickname with the account.
    void rememberNickname(std::string_view account, std::string_view nickname);

  private:
    // Whether a ban on the account is in force (logged when it is).
    [[nodiscard]] bool banned(const std::string& account);
    [[nodiscard]] bool resume(const Account& account, const std::string& token, Done& done);
    void verify(Account account, std::string password, std::string address, Done done);
    void enrol(std::string account, std::string password, Done done);
    void fail(const std::string& address, Done done);
    void answer(Done done, std::optional<LoginGrant> granted);
    // The grant of a good log-in, with a new token kept for the account (used up: `used`).
    [[nodiscard]] std::optional<LoginGrant> grant(const Account& account,
                                                  std::optional<std::string_view> used = {});

    const ServerOptions& options_;
    AccountStore& store_;
    HashWorker& worker_;
    Post post_;
    LoginThrottle throttle_;
};

// The user record of a stored account, as a log-in gives it.
[[nodiscard]] protocol::UserRecord userOf(const Account& account);
// Whether a name may be an account: 1 to 20 bytes, no control characters and no ">".
[[nodiscard]] bool isValidAccountName(std::string_view name);

}  // namespace ardentis::server
