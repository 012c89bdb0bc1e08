#pragma once

#include <cstddef>
#include <vector>

#include "server/frame.h"

namespace ardentis::server {

// The records waiting for one connection. Frames are shared, never copied; a batch
// takes everything queued so one gathered write carries it.
class OutQueue {
  public:
    void push(Frame frame) { pending_.push_back(std::move(frame)); }
    [[nodiscard]] std::size_t pending() const noexcept { return pending_.size(); }
    [[nodiscard]] bool writing() const noexcept { return !inflight_.empty(); }

    // Moves the pending records into the batch being written and returns it.
    [[nodiscard]] const std::vector<Frame>& startBatch();
    // The batch has been written: its frames are released.
    void finishBatch();

  private:
    std::vector<Frame> pending_;
    std::vector<Frame> inflight_;
};

}  // namespace ardentis::server
