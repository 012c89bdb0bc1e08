#include "server/server.h"

#include <asio/io_context.hpp>
#include <asio/ip/tcp.hpp>
#include <asio/post.hpp>
#include <asio/signal_set.hpp>
#include <asio/steady_timer.hpp>
#include <csignal>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "server/control_socket.h"
#include "server/flush_list.h"
#include "server/hash_worker.h"
#include "server/lobby.h"
#include "server/log.h"
#include "server/login_service.h"
#include "server/metrics.h"
#include "server/metrics_endpoint.h"
#include "server/moderation.h"
#include "server/session.h"

namespace ardentis::server {
namespace {

// Log-ins waiting for a hash thread before further ones are refused.
constexpr std::size_t kMaxQueuedHashes = 4096;

std::expected<std::uint16_t, std::error_code> bindTo(asio::ip::tcp::acceptor& acceptor,
                                                     const std::string& host, std::uint16_t port) {
    std::error_code error;
    const auto address = asio::ip::make_address(host, error);
    if (error) {
        return std::unexpected(error);
    }
    const asio::ip::tcp::endpoint endpoint(address, port);
    acceptor.open(endpoint.protocol(), error);
    if (!error) {
        acceptor.set_option(asio::socket_base::reuse_address(true), error);
    }
    if (!error) {
        acceptor.bind(endpoint, error);
    }
    if (!error) {
        acceptor.listen(asio::socket_base::max_listen_connections, error);
    }
    if (error) {
        return std::unexpected(error);
    }
    return acceptor.local_endpoint().port();
}

}  // namespace

struct Server::Impl {
    Impl(ServerOptions serverOptions, AccountStore accountStore,
         std::unique_ptr<asio::ssl::context> tlsContext)
        : tls(std::move(tlsContext)),
          options(std::move(serverOptions)),
          store(std::move(accountStore)),
          worker([this](std::function<void()> work) { asio::post(io, std::move(work)); },
                 kMaxQueuedHashes, HashWorker::threadsForCores()),
          login(options, store, worker,
                [this](std::function<void()> work) { asio::post(io, std::move(work)); }),
          lobby([this](std::string_view account,
                       std::string_view nickname) { login.rememberNickname(account, nickname); },
                LobbyRules{options.takeover, options.seatGrace},
                [this](std::chrono::milliseconds delay, std::function<void()> work) {
                    schedule(delay, std::move(work));
                },
                [this](std::string_view account) { return moderation.muted(account); }),
          moderation(store, lobby,
                     [this](std::string_view account, std::string_view reason) {
                         return kick(account, reason);
                     }),
          context{options, lobby,   login,
                  flushes, metrics, [this](Session& session) { sessions.erase(&session); }} {
        moderation.loadMotd();
    }

    void accept(asio::ip::tcp::acceptor& from);
    void onAccept(asio::ip::tcp::acceptor& from, const std::error_code& error,
                  asio::ip::tcp::socket socket);
    void shutdown();
    [[nodiscard]] bool kick(std::string_view account, std::string_view reason);
    void schedule(std::chrono::milliseconds delay, std::function<void()> work);
    [[nodiscard]] std::string scrape();

    asio::io_context io{1};                   // first: the other members' handlers die before it
    std::unique_ptr<asio::ssl::context> tls;  // none: no TLS listener; outlives the sessions
    ServerOptions options;
    AccountStore store;
    HashWorker worker;
    LoginService login;
    Lobby lobby;
    Moderation moderation;
    FlushList flushes{io.get_executor()};
    ServerMetrics metrics;
    Session::Context context;
    asio::ip::tcp::acceptor acceptor{io};
    asio::ip::tcp::acceptor tlsAcceptor{io};
    asio::steady_timer retry{io};
    asio::steady_timer tlsRetry{io};
    std::unique_ptr<asio::signal_set> signals;
    std::unique_ptr<MetricsEndpoint> metricsEndpoint;
    std::unique_ptr<ControlSocket> control;
    std::unordered_map<Session*, std::shared_ptr<Session>> sessions;
    std::unordered_set<std::shared_ptr<asio::steady_timer>> timers;  // the lobby's, until due
    bool stopping = false;
};

void Server::Impl::accept(asio::ip::tcp::acceptor& from) {
    from.async_accept([this, &from](const std::error_code& error, asio::ip::tcp::socket socket) {
        onAccept(from, error, std::move(socket));
    });
}

void Server::Impl::onAccept(asio::ip::tcp::acceptor& from, const std::error_code& error,
                            asio::ip::tcp::socket socket) {
    if (stopping) {
        return;
    }
    if (error) {
        // Out of descriptors, for instance: wait a little instead of spinning.
        log::line("accept: " + error.message());
        auto& timer = &from == &acceptor ? retry : tlsRetry;
        timer.expires_after(std::chrono::milliseconds(100));
        timer.async_wait([this, &from](const std::error_code& e) {
            if (!e && !stopping) {
                accept(from);
            }
        });
        return;
    }
    if (sessions.size() >= options.maxClients) {
        log::line("connection refused: " + std::to_string(options.maxClients) + " clients already");
        std::error_code ignored;
        socket.close(ignored);
    } else {
        auto session =
            std::make_shared<Session>(&from == &tlsAcceptor ? Transport(std::move(socket), *tls)
                                                            : Transport(std::move(socket)),
                                      context);
        sessions.emplace(session.get(), session);
        session->start();
    }
    accept(from);
}

bool Server::Impl::kick(std::string_view account, std::string_view reason) {
    // Ended as a slow reader is: the others hear the user leave.
    std::vector<std::shared_ptr<Session>> found;
    for (const auto& [raw, session] : sessions) {
        if (const Member* member = session->member();
            member != nullptr && member->user.account.view() == account) {
            found.push_back(session);
        }
    }
    for (const auto& session : found) {
        session->close(reason);
    }
    return !found.empty();
}

void Server::Impl::schedule(std::chrono::milliseconds delay, std::function<void()> work) {
    if (stopping) {
        return;  // the lobby goes with the server
    }
    auto timer = std::make_shared<asio::steady_timer>(io, delay);
    timers.insert(timer);
    timer->async_wait([this, timer, work = std::move(work)](const std::error_code& error) {
        timers.erase(timer);
        if (!error && !stopping) {
            work();
        }
    });
}

std::string Server::Impl::scrape() {
    ServerGauges gauges{.connections = sessions.size(),
                        .online = lobby.online(),
                        .held = lobby.held(),
                        .lobbyRecords = lobby.handled()};
    for (const auto& entry : lobby.roomList().inOrder()) {
        // A host's client marks a room whose game has not started "0".
        auto& count =
            entry.second->record.status.view() == "0" ? gauges.roomsWaiting : gauges.roomsPlaying;
        ++count;
    }
    for (const auto& entry : sessions) {
        gauges.queuedBytes += entry.second->queuedBytes();
    }
    return renderMetrics(metrics, gauges);
}

void Server::Impl::shutdown() {
    if (stopping) {
        return;
    }
    stopping = true;
    log::line("stopping: " + std::to_string(sessions.size()) + " connections");
    std::error_code ignored;
    acceptor.close(ignored);
    tlsAcceptor.close(ignored);
    retry.cancel();
    tlsRetry.cancel();
    for (const auto& timer : timers) {
        timer->cancel();
    }
    if (signals) {
        signals->cancel(ignored);
    }
    if (metricsEndpoint) {
        metricsEndpoint->close();
    }
    if (control) {
        control->close();
    }
    while (!sessions.empty()) {
        const auto session = sessions.begin()->second;
        session->close("server stopping");
        sessions.erase(session.get());
    }
}

Server::Server(ServerOptions options, AccountStore store, std::unique_ptr<asio::ssl::context> tls)
    : impl_(std::make_unique<Impl>(std::move(options), std::move(store), std::move(tls))) {}

Server::~Server() = default;

std::expected<std::uint16_t, std::error_code> Server::listen() {
    auto port = bindTo(impl_->acceptor, impl_->options.host, impl_->options.port);
    if (port) {
        impl_->accept(impl_->acceptor);
    }
    return port;
}

std::expected<std::uint16_t, std::error_code> Server::listenTls() {
    if (!impl_->tls) {
        return std::unexpected(std::make_error_code(std::errc::not_supported));
    }
    auto port = bindTo(impl_->tlsAcceptor, impl_->options.tlsHost, impl_->options.tlsPort);
    if (port) {
        impl_->accept(impl_->tlsAcceptor);
    }
    return port;
}

std::expected<std::uint16_t, std::error_code> Server::listenMetrics() {
    asio::ip::tcp::acceptor acceptor(impl_->io);
    auto port = bindTo(acceptor, impl_->options.metricsHost, impl_->options.metricsPort);
    if (port) {
        impl_->metricsEndpoint = std::make_unique<MetricsEndpoint>(
            std::move(acceptor), [impl = impl_.get()] { return impl->scrape(); });
    }
    return port;
}

std::expected<void, std::string> Server::listenControl() {
    auto control = ControlSocket::open(impl_->io, impl_->options.controlSocket,
                                       [impl = impl_.get()](std::string_view request) {
                                           return impl->moderation.handle(request);
                                       });
    if (!control) {
        return std::unexpected(control.error());
    }
    impl_->control = std::move(*control);
    return {};
}

void Server::run() {
    impl_->io.run();
    log::line("stopped");
}

void Server::stop() {
    asio::post(impl_->io, [impl = impl_.get()] { impl->shutdown(); });
}

void Server::stopOnSignals() {
    impl_->signals = std::make_unique<asio::signal_set>(impl_->io, SIGINT, SIGTERM);
    impl_->signals->async_wait([impl = impl_.get()](const std::error_code& error, int signal) {
        if (!error) {
            log::line("signal " + std::to_string(signal) + " received");
            impl->shutdown();
        }
    });
}

}  // namespace ardentis::server
