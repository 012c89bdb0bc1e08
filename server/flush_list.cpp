#include "server/flush_list.h"

#include <algorithm>
#include <asio/post.hpp>

#include "server/session.h"

namespace ardentis::server {
namespace {

// Sessions written between two looks at the sockets.
constexpr std::size_t kSlice = 8;

}  // namespace

void FlushList::add(std::shared_ptr<Session> session) {
    dirty_.push_back(std::move(session));
    schedule();
}

void FlushList::schedule() {
    if (!posted_) {
        posted_ = true;
        asio::post(executor_, [this] { run(); });
    }
}

void FlushList::run() {
    posted_ = false;
    if (cursor_ == sweep_.size()) {
        sweep_.clear();
        cursor_ = 0;
        sweep_.swap(dirty_);
    }
    const std::size_t end = std::min(sweep_.size(), cursor_ + kSlice);
    while (cursor_ < end) {
        sweep_[cursor_++]->flush();  // may add sessions to dirty_, never to sweep_
    }
    if (cursor_ < sweep_.size() || !dirty_.empty()) {
        schedule();
    }
}

}  // namespace ardentis::server
