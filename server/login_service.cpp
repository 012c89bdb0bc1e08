#include "server/login_service.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "server/log.h"
#include "server/moderation.h"
#include "server/password_hasher.h"
#include "server/resume_token.h"

namespace ardentis::server {
namespace {

using Clock = std::chrono::steady_clock;

}  // namespace

protocol::UserRecord userOf(const Account& account) {
    protocol::UserRecord user;
    user.account = text::Gbk(account.account);
    user.nickname = text::Gbk(account.nickname);
    user.uflag = account.uflag;
    user.uvalue1 = account.uvalue1;
    user.uvalue2 = account.uvalue2;
    user.uvalue3 = account.uvalue3;
    return user;
}

bool isValidAccountName(std::string_view name) {
    constexpr std::size_t kMaxAccount = 20;
    return !name.empty() && name.size() <= kMaxAccount && std::ranges::none_of(name, [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x7f || c == '>';
    });
}

LoginService::LoginService(const ServerOptions& options, AccountStore& store, HashWorker& worker,
                           Post post)
    : options_(options),
      store_(store),
      worker_(worker),
      post_(std::move(post)),
      throttle_(options.loginFailures, options.loginFailureWindow) {}

void LoginService::answer(Done done, std::optional<LoginGrant> granted) {
    post_([done = std::move(done), granted = std::move(granted)] { done(granted); });
}

void LoginService::fail(const std::string& address, Done done) {
    throttle_.failed(address, Clock::now());
    answer(std::move(done), std::nullopt);
}

std::optional<LoginGrant> LoginService::grant(const Account& account,
                                              std::optional<std::string_view> used) {
    LoginGrant granted{userOf(account), {}, used.has_value()};
    if (options_.tokenLifetime.count() <= 0) {
        return granted;
    }
    const std::int64_t now = wallSeconds();
    std::string token = resume_token::make();
    const auto kept = store_.storeToken(
        account.account, {resume_token::digest(token), now + options_.tokenLifetime.count()}, used,
        now);
    if (!kept) {
        log::line("account store: " + log::plain(kept.error().detail));
    } else if (*kept) {
        granted.token = std::move(token);
        return granted;
    }
    if (used) {
        return std::nullopt;  // the token is not there, or cannot be checked: not on its own
    }
    return granted;  // the password was good: in, only without a token for next time
}

void LoginService::check(LoginAttempt attempt, std::string address, Done done) {
    if (!throttle_.allowed(address, Clock::now())) {
        log::line("log-in refused: too many failures from " + log::plain(address));
        answer(std::move(done), std::nullopt);
        return;
    }
    if (attempt.account.empty() || attempt.account.size() > 20) {
        fail(address, std::move(done));
        return;
    }
    auto found = store_.find(attempt.account);
    if (!found) {
        log::line("account store: " + log::plain(found.error().detail));
        answer(std::move(done), std::nullopt);
        return;
    }
    if (std::optional<Account>& stored = *found; stored && banned(stored->account)) {
        answer(std::move(done), std::nullopt);  // refused as a wrong password is
    } else if (stored) {
        // A token that does not let the user in is no failure yet: the password decides.
        if (!resume(*stored, attempt.token, done)) {
            verify(std::move(*stored), std::move(attempt.password), std::move(address),
                   std::move(done));
        }
    } else if (options_.autoRegister && isValidAccountName(attempt.account)) {
        enrol(std::move(attempt.account), std::move(attempt.password), std::move(done));
    } else {
        fail(address, std::move(done));
    }
}

bool LoginService::banned(const std::string& account) {
    const auto end = store_.sanctionEnd(account, Sanction::Ban, wallSeconds());
    if (!end) {
        log::line("account store: " + log::plain(end.error().detail));
        return true;  // a ban that cannot be looked at still stands
    }
    const std::optional<std::int64_t>& until = *end;
    if (until) {
        log::line("log-in refused: " + log::text(account) + " banned until " + formatUntil(*until));
    }
    return until.has_value();
}

bool LoginService::resume(const Account& account, const std::string& token, Done& done) {
    if (token.empty() || options_.tokenLifetime.count() <= 0) {
        return false;
    }
    auto granted = grant(account, resume_token::digest(token));
    if (!granted) {
        return false;
    }
    answer(std::move(done), std::move(granted));
    return true;
}

void LoginService::verify(Account account, std::string password, std::string address, Done done) {
    auto shared = std::make_shared<Done>(std::move(done));
    const bool queued =
        worker_.submit([this, account = std::move(account), password = std::move(password),
                        address = std::move(address), shared]() mutable {
            const bool good = PasswordHasher::verify(account.hash, password);
            return std::function<void()>(
                [this, good, account = std::move(account), address = std::move(address), shared] {
                    if (good) {
                        (*shared)(grant(account));
                    } else {
                        throttle_.failed(address, Clock::now());
                        (*shared)(std::nullopt);
                    }
                });
        });
    if (!queued) {
        log::line("log-in refused: password checks queue full");
        answer(std::move(*shared), std::nullopt);
    }
}

void LoginService::enrol(std::string account, std::string password, Done done) {
    auto shared = std::make_shared<Done>(std::move(done));
    const HashCost cost = options_.hashCost;
    const bool queued = worker_.submit([this, account = std::move(account),
                                        password = std::move(password), cost, shared]() mutable {
        auto hash = PasswordHasher::hash(password, cost);
        return std::function<void()>(
            [this, account = std::move(account), hash = std::move(hash), shared] {
                if (!hash) {
                    (*shared)(std::nullopt);
                    return;
                }
                const Account created{account, *hash, account, 0, 0, 0, 0};
                if (auto added = store_.add(created); !added) {
                    log::line("account store: " + log::plain(added.error().detail));
                    (*shared)(std::nullopt);
                    return;
                }
                log::line("account " + log::text(account) + " registered");
                (*shared)(grant(created));
            });
    });
    if (!queued) {
        log::line("log-in refused: password checks queue full");
        answer(std::move(*shared), std::nullopt);
    }
}

void LoginService::rememberNickname(std::string_view account, std::string_view nickname) {
    if (auto done = store_.setNickname(account, nickname); !done) {
        log::line("account store: " + log::plain(done.error().detail));
    }
}

}  // namespace ardentis::server
