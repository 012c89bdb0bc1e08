#include "server/hash_worker.h"

#include <utility>

namespace ardentis::server {

HashWorker::HashWorker(Post post, std::size_t maxQueued)
    : post_(std::move(post)),
      maxQueued_(maxQueued),
      thread_([this](const std::stop_token& stop) { loop(stop); }) {}

HashWorker::~HashWorker() {
    thread_.request_stop();
    wake_.notify_all();
}

bool HashWorker::submit(Job job) {
    {
        const std::lock_guard lock(mutex_);
        if (jobs_.size() >= maxQueued_) {
            return false;
        }
        jobs_.push_back(std::move(job));
    }
    wake_.notify_one();
    return true;
}

void HashWorker::loop(const std::stop_token& stop) {
    while (true) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            if (!wake_.wait(lock, stop, [this] { return !jobs_.empty(); })) {
                return;
            }
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        post_(job());
    }
}

}  // namespace ardentis::server
