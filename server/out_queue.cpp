#include "server/out_queue.h"

namespace ardentis::server {
namespace {

// A reader that fell behind can make one batch very large; keep no more than this much
// capacity once it has gone, so thousands of idle connections stay small.
constexpr std::size_t kKeptCapacity = 256;

void release(std::vector<Frame>& frames) {
    frames.clear();
    if (frames.capacity() > kKeptCapacity) {
        std::vector<Frame>().swap(frames);
    }
}

}  // namespace

const std::vector<Frame>& OutQueue::startBatch() {
    inflight_.swap(pending_);
    release(pending_);
    return inflight_;
}

void OutQueue::finishBatch() {
    release(inflight_);
}

}  // namespace ardentis::server
