#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace ardentis::server {

// One thread that runs the slow password hashes, so that a log-in never stalls the
// event loop. A job returns the work to finish on the loop, which `post` hands over.
// One thread is enough: each hash is memory-hard, and the loop must keep a core.
class HashWorker {
  public:
    using Continuation = std::function<void()>;
    using Job = std::function<Continuation()>;
    using Post = std::function<void(Continuation)>;

    HashWorker(Post post, std::size_t maxQueued);
    ~HashWorker();
    HashWorker(const HashWorker&) = delete;
    HashWorker& operator=(const HashWorker&) = delete;

    // False when too many jobs wait already; the job is then not taken.
    [[nodiscard]] bool submit(Job job);

  private:
    void loop(const std::stop_token& stop);

    Post post_;
    std::size_t maxQueued_;
    // Guards jobs_. Taken by the loop thread (submit) and the worker; never held while a
    // job runs or while posting.
    std::mutex mutex_;
    std::condition_variable_any wake_;
    std::deque<Job> jobs_;
    std::jthread thread_;  // last: stops and joins before the queue goes away
};

}  // namespace ardentis::server
