#pragma once

#include <asio/any_io_executor.hpp>
#include <cstddef>
#include <memory>
#include <vector>

namespace ardentis::server {

class Session;

// The sessions with records to write. One posted handler writes them, after every
// handler already due has run: a record fanned out to a thousand users costs one posted
// handler, and each connection's write carries everything queued for it meanwhile.
// A long sweep goes in slices with reads in between, so a record that arrives during a
// sweep still rides along in the writes to the connections the sweep has not reached.
class FlushList {
  public:
    explicit FlushList(asio::any_io_executor executor) : executor_(std::move(executor)) {}

    void add(std::shared_ptr<Session> session);

  private:
    void schedule();
    void run();

    asio::any_io_executor executor_;
    std::vector<std::shared_ptr<Session>> dirty_;
    std::vector<std::shared_ptr<Session>> sweep_;
    std::size_t cursor_ = 0;  // next session of sweep_ to write
    bool posted_ = false;
};

}  // namespace ardentis::server
