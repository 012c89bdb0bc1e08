#pragma once

#include <deque>
#include <functional>
#include <mutex>

namespace ardentis::platform {

// Work handed to a loop's thread from any thread, run there in the order it was posted.
class PostedWork {
  public:
    void post(std::function<void()> work);
    // Runs what was posted, including work posted meanwhile; returns how much ran.
    int runAll();

  private:
    // Guards queue_. Taken by every posting thread and by the loop thread; never held
    // while work runs.
    std::mutex mutex_;
    std::deque<std::function<void()>> queue_;
};

}  // namespace ardentis::platform
