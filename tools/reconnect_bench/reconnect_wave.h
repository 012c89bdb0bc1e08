#pragma once

#include <asio/io_context.hpp>
#include <asio/ip/tcp.hpp>
#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace ardentis::tools {

// One user of the benchmark: its account, password, and the token its last LoginOk gave.
struct BenchUser {
    std::string account;
    std::string password;
    std::string token;
};

// How a wave of log-ins went.
struct WaveFigures {
    std::chrono::duration<double> lastIn{};  // from the first connect to the last LoginOk
    std::size_t in = 0;                      // LoginOk
    std::size_t refused = 0;                 // LoginBad or LoginDup, or no connection at all
    std::size_t cutOff = 0;                  // closed by the server before any answer
    std::size_t unanswered = 0;              // still waiting when the wave's time was up
};

// Every user connects at once and logs in (with its token when `withTokens`), then stays on
// line reading all the lobby sends, as a client does, until the connections are dropped.
// Its io_context outlives it and runs no more once it has gone.
class ReconnectWave {
  public:
    ReconnectWave(asio::io_context& io, asio::ip::tcp::endpoint server,
                  std::vector<BenchUser>& users);
    ReconnectWave(const ReconnectWave&) = delete;
    ReconnectWave& operator=(const ReconnectWave&) = delete;

    // Runs until everyone has an answer or `limit` has passed; the users keep their new tokens.
    WaveFigures run(bool withTokens, std::chrono::seconds limit);
    // Lets the connections go (the server has gone) and waits for their handlers to end.
    void drop();

  private:
    struct Client;
    void onAnswer(const std::shared_ptr<Client>& client, const std::error_code& error);
    void keepReading(const std::shared_ptr<Client>& client);
    void answered(Client& client, bool in, bool cutOff);

    asio::io_context& io_;
    asio::ip::tcp::endpoint server_;
    std::vector<BenchUser>& users_;
    std::vector<std::shared_ptr<Client>> clients_;
    std::vector<char> discard_;  // what the lobby sends after the answer, read and dropped
    WaveFigures figures_;
    std::size_t waiting_ = 0;
    std::chrono::steady_clock::time_point start_;
};

}  // namespace ardentis::tools
