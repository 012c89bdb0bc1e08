#pragma once

#include <asio/io_context.hpp>
#include <asio/ip/tcp.hpp>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "protocol/lobby_message.h"
#include "server/frame_reader.h"

namespace ardentis::loadgen {

class LoadClient;

// What a load client reports to whoever runs the load.
class ClientEvents {
  public:
    virtual ~ClientEvents() = default;
    virtual void onRecord(LoadClient& client, const protocol::LobbyMessage& message) = 0;
    virtual void onClosed(LoadClient& client) = 0;
};

// One simulated lobby client: connects, logs in, reads every record, sends on request.
class LoadClient : public std::enable_shared_from_this<LoadClient> {
  public:
    LoadClient(asio::io_context& io, std::size_t index, std::string account, ClientEvents& events);

    void start(const asio::ip::tcp::endpoint& server, const std::string& password);
    void send(const protocol::LobbyMessage& message);
    void close();

    [[nodiscard]] std::size_t index() const noexcept { return index_; }
    [[nodiscard]] const std::string& account() const noexcept { return account_; }
    [[nodiscard]] bool open() const noexcept { return open_; }

    std::string roomno;  // the room this client sits in, if any
    bool loggedIn = false;
    bool seated = false;

  private:
    void read();
    void flush();
    void fail();

    asio::ip::tcp::socket socket_;
    std::size_t index_;
    std::string account_;
    ClientEvents& events_;
    server::FrameReader reader_;
    std::vector<std::byte> pending_;
    std::vector<std::byte> writing_;
    bool open_ = false;
    bool reported_ = false;
};

}  // namespace ardentis::loadgen
