#include "server/control_socket.h"

#include <sys/stat.h>
#include <unistd.h>

#include <asio/read_until.hpp>
#include <asio/steady_timer.hpp>
#include <asio/streambuf.hpp>
#include <asio/write.hpp>
#include <chrono>
#include <cstring>
#include <utility>

#include "server/log.h"

namespace ardentis::server {
namespace {

using asio::local::stream_protocol;

constexpr std::size_t kMaxRequest = 1024;
constexpr std::chrono::seconds kRequestTime{5};

// An existing file at the path: a server that answers there is an error; a socket nobody
// answers on is a crashed server's, and goes.
std::expected<void, std::string> clearStale(asio::io_context& io, const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        return {};
    }
    if (!S_ISSOCK(info.st_mode)) {
        return std::unexpected(path + " exists and is not a socket");
    }
    stream_protocol::socket probe(io);
    std::error_code error;
    probe.connect(stream_protocol::endpoint(path), error);
    if (!error) {
        return std::unexpected("another server answers at " + path);
    }
    ::unlink(path.c_str());
    return {};
}

}  // namespace

struct ControlSocket::Request : std::enable_shared_from_this<Request> {
    Request(stream_protocol::socket s, const Handler& h)
        : socket(std::move(s)), timer(socket.get_executor()), handler(h) {}

    void start() {
        timer.expires_after(kRequestTime);
        timer.async_wait([self = shared_from_this()](const std::error_code& error) {
            if (!error) {
                self->end();
            }
        });
        asio::async_read_until(
            socket, input, '\n',
            [self = shared_from_this()](const std::error_code& error, std::size_t size) {
                self->onLine(error, size);
            });
    }
    void onLine(const std::error_code& error, std::size_t size) {
        if (error == asio::error::not_found) {
            answer = "error request too long\n";
        } else if (error) {
            end();
            return;
        } else {
            const std::string line(
                asio::buffers_begin(input.data()),
                asio::buffers_begin(input.data()) + static_cast<std::ptrdiff_t>(size - 1));
            answer = handler(line) + "\n";
        }
        asio::async_write(
            socket, asio::buffer(answer),
            [self = shared_from_this()](const std::error_code&, std::size_t) { self->end(); });
    }
    void end() {
        timer.cancel();
        stop();
    }
    // The wait for the line ends at once, and end() with it.
    void stop() noexcept {
        std::error_code ignored;
        socket.close(ignored);
    }

    stream_protocol::socket socket;
    asio::steady_timer timer;
    asio::streambuf input{kMaxRequest};
    std::string answer;
    const Handler& handler;  // the control socket's, which outlives its requests' work
};

ControlSocket::ControlSocket(stream_protocol::acceptor acceptor, std::string path, Handler handler)
    : acceptor_(std::move(acceptor)),
      retry_(acceptor_.get_executor()),
      path_(std::move(path)),
      handler_(std::move(handler)) {}

std::expected<std::unique_ptr<ControlSocket>, std::string> ControlSocket::open(
    asio::io_context& io, const std::string& path, Handler handler) {
    if (auto clear = clearStale(io, path); !clear) {
        return std::unexpected(clear.error());
    }
    stream_protocol::acceptor acceptor(io);
    std::error_code error;
    acceptor.open(stream_protocol(), error);
    if (!error) {
        // Made without group or other access at all, not narrowed after a window.
        const mode_t saved = ::umask(0177);
        acceptor.bind(stream_protocol::endpoint(path), error);
        ::umask(saved);
    }
    if (!error) {
        acceptor.listen(asio::socket_base::max_listen_connections, error);
    }
    if (error) {
        return std::unexpected("cannot listen on " + path + ": " + error.message());
    }
    std::unique_ptr<ControlSocket> control(
        new ControlSocket(std::move(acceptor), path, std::move(handler)));
    control->accept();
    return control;
}

ControlSocket::~ControlSocket() {
    close();
    ::unlink(path_.c_str());
}

void ControlSocket::accept() {
    acceptor_.async_accept([this](const std::error_code& error, stream_protocol::socket socket) {
        if (error == asio::error::operation_aborted || !acceptor_.is_open()) {
            return;
        }
        if (error) {
            // Out of descriptors, for instance: wait a little instead of spinning.
            log::line("control socket: " + error.message());
            retry_.expires_after(std::chrono::milliseconds(100));
            retry_.async_wait([this](const std::error_code& e) {
                if (!e && acceptor_.is_open()) {
                    accept();
                }
            });
            return;
        }
        std::erase_if(requests_, [](const auto& weak) { return weak.expired(); });
        auto request = std::make_shared<Request>(std::move(socket), handler_);
        requests_.push_back(request);
        request->start();
        accept();
    });
}

void ControlSocket::close() noexcept {
    std::error_code ignored;
    acceptor_.close(ignored);
    for (const auto& weak : requests_) {
        if (auto request = weak.lock()) {
            request->stop();
        }
    }
    requests_.clear();
}

}  // namespace ardentis::server
