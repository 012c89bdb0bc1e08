#pragma once

#include <asio/io_context.hpp>
#include <asio/local/stream_protocol.hpp>
#include <asio/steady_timer.hpp>
#include <expected>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ardentis::server {

// The administrator's way in: a Unix stream socket only the server's user may use (mode
// 0600). Each connection brings one request line and gets the handler's answer, then
// closes; the line's size and the wait for it are bounded, and nothing blocks the loop.
class ControlSocket {
  public:
    // The answer to one request line (without its newline); may hold several lines.
    using Handler = std::function<std::string(std::string_view request)>;

    // Takes the path over from a server that crashed; a live one there is an error.
    [[nodiscard]] static std::expected<std::unique_ptr<ControlSocket>, std::string> open(
        asio::io_context& io, const std::string& path, Handler handler);
    ~ControlSocket();  // the socket file goes
    ControlSocket(const ControlSocket&) = delete;
    ControlSocket& operator=(const ControlSocket&) = delete;

    // Stops taking requests and ends those under way.
    void close() noexcept;

  private:
    struct Request;
    ControlSocket(asio::local::stream_protocol::acceptor acceptor, std::string path,
                  Handler handler);
    void accept();

    asio::local::stream_protocol::acceptor acceptor_;
    asio::steady_timer retry_;
    std::string path_;
    Handler handler_;
    std::vector<std::weak_ptr<Request>> requests_;
};

}  // namespace ardentis::server
