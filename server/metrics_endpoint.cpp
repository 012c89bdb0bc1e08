#include "server/metrics_endpoint.h"

#include <asio/read_until.hpp>
#include <asio/steady_timer.hpp>
#include <asio/write.hpp>
#include <chrono>
#include <utility>

namespace ardentis::server {
namespace {

// A request is a line and a few headers; a client that sends more, or takes longer, is not
// a scraper.
constexpr std::size_t kMaxRequest = 8192;
constexpr std::chrono::seconds kScrapeTimeout{5};

std::string response(std::string_view status, std::string_view body) {
    return "HTTP/1.0 " + std::string(status) +
           "\r\nContent-Type: text/plain; version=0.0.4; charset=utf-8\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + std::string(body);
}

}  // namespace

struct MetricsEndpoint::Scrape {
    explicit Scrape(asio::ip::tcp::socket s)
        : socket(std::move(s)), deadline(socket.get_executor()) {}
    asio::ip::tcp::socket socket;
    asio::steady_timer deadline;
    std::string request;
    std::string reply;
};

MetricsEndpoint::MetricsEndpoint(asio::ip::tcp::acceptor acceptor,
                                 std::function<std::string()> render)
    : acceptor_(std::move(acceptor)), render_(std::move(render)) {
    accept();
}

void MetricsEndpoint::close() {
    closed_ = true;
    std::error_code ignored;
    acceptor_.close(ignored);
    for (const auto& scrape : scrapes_) {
        scrape->socket.close(ignored);
        scrape->deadline.cancel();
    }
    scrapes_.clear();
}

void MetricsEndpoint::accept() {
    acceptor_.async_accept([this](const std::error_code& error, asio::ip::tcp::socket socket) {
        if (closed_ || error == asio::error::operation_aborted) {
            return;
        }
        if (!error) {
            auto scrape = std::make_shared<Scrape>(std::move(socket));
            scrapes_.insert(scrape);
            scrape->deadline.expires_after(kScrapeTimeout);
            scrape->deadline.async_wait([this, scrape](const std::error_code& e) {
                if (!e) {
                    finish(scrape);
                }
            });
            answer(scrape);
        }
        accept();
    });
}

void MetricsEndpoint::answer(const std::shared_ptr<Scrape>& scrape) {
    asio::async_read_until(
        scrape->socket, asio::dynamic_buffer(scrape->request, kMaxRequest), "\r\n\r\n",
        [this, scrape](const std::error_code& error, std::size_t) {
            if (error) {
                finish(scrape);
                return;
            }
            const std::string_view line =
                std::string_view(scrape->request).substr(0, scrape->request.find("\r\n"));
            const bool metrics =
                line.starts_with("GET /metrics ") || line.starts_with("GET /metrics?");
            scrape->reply = metrics ? response("200 OK", render_())
                                    : response("404 Not Found", "GET /metrics\n");
            asio::async_write(
                scrape->socket, asio::buffer(scrape->reply),
                [this, scrape](const std::error_code&, std::size_t) { finish(scrape); });
        });
}

void MetricsEndpoint::finish(const std::shared_ptr<Scrape>& scrape) {
    std::error_code ignored;
    scrape->socket.shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
    scrape->socket.close(ignored);
    scrape->deadline.cancel();
    scrapes_.erase(scrape);
}

}  // namespace ardentis::server
