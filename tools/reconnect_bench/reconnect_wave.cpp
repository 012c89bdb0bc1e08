#include "tools/reconnect_bench/reconnect_wave.h"

#include <array>
#include <asio/connect.hpp>
#include <asio/read.hpp>
#include <asio/write.hpp>

#include "protocol/des.h"
#include "protocol/lobby_message.h"
#include "protocol/message_kind.h"

namespace ardentis::tools {
namespace {

constexpr std::size_t kTokenHalf = 16;
constexpr std::size_t kDiscardBytes = 1 << 16;

protocol::LobbyMessage loginOf(const BenchUser& user, bool withToken) {
    protocol::LobbyMessage login{};
    login.setKind(protocol::command::kLogin, protocol::subcommand::kLogin);
    login.sparam1.set(user.account);
    login.sparam2.set(protocol::des::EncryptHex(user.password));
    if (withToken && user.token.size() > kTokenHalf) {
        login.sparam7.set(std::string_view(user.token).substr(0, kTokenHalf));
        login.sparam8.set(std::string_view(user.token).substr(kTokenHalf));
    }
    return login;
}

}  // namespace

struct ReconnectWave::Client {
    Client(asio::io_context& io, BenchUser& benchUser) : socket(io), user(benchUser) {}

    asio::ip::tcp::socket socket;
    BenchUser& user;
    std::array<std::byte, protocol::kRecordSize> login{};
    std::array<std::byte, protocol::kRecordSize> answer{};
    bool done = false;
};

ReconnectWave::ReconnectWave(asio::io_context& io, asio::ip::tcp::endpoint server,
                             std::vector<BenchUser>& users)
    : io_(io), server_(std::move(server)), users_(users), discard_(kDiscardBytes) {}

WaveFigures ReconnectWave::run(bool withTokens, std::chrono::seconds limit) {
    drop();
    figures_ = {};
    waiting_ = users_.size();
    start_ = std::chrono::steady_clock::now();
    for (BenchUser& user : users_) {
        auto client = std::make_shared<Client>(io_, user);
        client->login = loginOf(user, withTokens).toBytes();
        clients_.push_back(client);
        client->socket.async_connect(server_, [this, client](const std::error_code& error) {
            if (error) {
                answered(*client, false, false);
                return;
            }
            asio::async_write(client->socket, asio::buffer(client->login),
                              [this, client](const std::error_code& failed, std::size_t) {
                                  if (failed) {
                                      answered(*client, false, true);
                                  }
                              });
            asio::async_read(client->socket, asio::buffer(client->answer),
                             [this, client](const std::error_code& failed, std::size_t) {
                                 onAnswer(client, failed);
                             });
        });
    }
    const auto deadline = start_ + limit;
    io_.restart();
    while (waiting_ > 0 && std::chrono::steady_clock::now() < deadline) {
        io_.run_one_until(deadline);
    }
    figures_.unanswered = waiting_;
    return figures_;
}

void ReconnectWave::onAnswer(const std::shared_ptr<Client>& client, const std::error_code& error) {
    if (error) {
        answered(*client, false, true);
        return;
    }
    const auto message = protocol::LobbyMessage::fromBytes(client->answer);
    const bool in = message && message->command == protocol::command::kLogin &&
                    message->signedSubcommand() == protocol::subcommand::kLoginOk;
    if (in) {
        client->user.token =
            std::string(message->sparam7.view()) + std::string(message->sparam8.view());
    }
    answered(*client, in, false);
    if (in) {
        keepReading(client);
    }
}

// Everything the lobby sends after the answer, as a client takes it in; the bytes are
// dropped, so one buffer serves every connection.
void ReconnectWave::keepReading(const std::shared_ptr<Client>& client) {
    client->socket.async_read_some(asio::buffer(discard_),
                                   [this, client](const std::error_code& error, std::size_t) {
                                       if (!error) {
                                           keepReading(client);
                                       }
                                   });
}

void ReconnectWave::answered(Client& client, bool in, bool cutOff) {
    if (client.done) {
        return;
    }
    client.done = true;
    --waiting_;
    if (in) {
        ++figures_.in;
        figures_.lastIn = std::chrono::steady_clock::now() - start_;
    } else if (cutOff) {
        ++figures_.cutOff;
    } else {
        ++figures_.refused;
    }
}

void ReconnectWave::drop() {
    for (const auto& client : clients_) {
        client->done = true;
        std::error_code ignored;
        client->socket.close(ignored);
    }
    io_.restart();
    while (io_.poll() > 0) {
    }
    clients_.clear();
}

}  // namespace ardentis::tools
