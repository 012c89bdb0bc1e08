#pragma once

#include <asio/ip/tcp.hpp>
#include <functional>
#include <memory>
#include <string>
#include <unordered_set>

namespace ardentis::server {

// A plain HTTP/1.0 endpoint for a Prometheus scraper: GET /metrics answers with what
// `render` says at that moment, anything else with 404; one request a connection. It has
// no authentication: it belongs on loopback or a trusted network.
class MetricsEndpoint {
  public:
    // Takes a listening acceptor and starts taking scrapes on its executor's thread.
    MetricsEndpoint(asio::ip::tcp::acceptor acceptor, std::function<std::string()> render);
    // The scrapes under way end with the event loop, which owns their handlers.
    ~MetricsEndpoint() = default;
    MetricsEndpoint(const MetricsEndpoint&) = delete;
    MetricsEndpoint& operator=(const MetricsEndpoint&) = delete;

    // Stops listening and drops the scrapes under way, so the event loop can end.
    void close();

  private:
    struct Scrape;
    void accept();
    void answer(const std::shared_ptr<Scrape>& scrape);
    void finish(const std::shared_ptr<Scrape>& scrape);

    asio::ip::tcp::acceptor acceptor_;
    std::function<std::string()> render_;
    std::unordered_set<std::shared_ptr<Scrape>> scrapes_;
    bool closed_ = false;
};

}  // namespace ardentis::server
