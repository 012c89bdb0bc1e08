#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace ardentis::server {

// Threads that run the slow password hashes, so that a log-in never stalls the event loop.
// A job returns the work to finish on the loop, which `post` hands over. Jobs start in the
// order they came. Each hash is memory-hard and takes a core: one thread a core finishes a
// storm of log-ins (a restart's) soonest, at one hash's memory a thread.
class HashWorker {
  public:
    using Continuation = std::function<void()>;
    using Job = std::function<Continuation()>;
    using Post = std::function<void(Continuation)>;

    HashWorker(Post post, std::size_t maxQueued, std::size_t threads);
    ~HashWorker();
    HashWorker(const HashWorker&) = delete;
    HashWorker& operator=(const HashWorker&) = delete;

    // False when too many jobs wait already; the job is then not taken.
    [[nodiscard]] bool submit(Job job);

    // One thread a core, at least one.
    [[nodiscard]] static std::size_t threadsForCores();

  private:
    void loop(const std::stop_token& stop);

    Post post_;
    std::size_t maxQueued_;
    // Guards jobs_. Taken by the loop thread (submit) and the workers; never held while a
    // job runs or while posting.
    std::mutex mutex_;
    std::condition_variable_any wake_;
    std::deque<Job> jobs_;
    std::vector<std::jthread> threads_;  // last: stop and join before the queue goes away
};

}  // namespace ardentis::server
