#include "server/login_service.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "server/log.h"
#include "server/password_hasher.h"

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

void LoginService::answer(Done done, std::optional<protocol::UserRecord> user) {
    post_([done = std::move(done), user = std::move(user)] { done(user); });
}

void LoginService::fail(const std::string& address, Done done) {
    throttle_.failed(address, Clock::now());
    answer(std::move(done), std::nullopt);
}

void LoginService::check(std::string account, std::string password, std::string address,
                         Done done) {
    if (!throttle_.allowed(address, Clock::now())) {
        log::line("log-in refused: too many failures from " + log::plain(address));
        answer(std::move(done), std::nullopt);
        return;
    }
    if (account.empty() || account.size() > 20) {
        fail(address, std::move(done));
        return;
    }
    auto found = store_.find(account);
    if (!found) {
        log::line("account store: " + log::plain(found.error().detail));
        answer(std::move(done), std::nullopt);
        return;
    }
    if (std::optional<Account>& stored = *found) {
        verify(std::move(*stored), std::move(password), std::move(address), std::move(done));
    } else if (options_.autoRegister && isValidAccountName(account)) {
        enrol(std::move(account), std::move(password), std::move(done));
    } else {
        fail(address, std::move(done));
    }
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
                        (*shared)(userOf(account));
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
                (*shared)(userOf(created));
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
