#include "server/hash_worker.h"

#include <algorithm>
#include <utility>

namespace ardentis::server {

HashWorker::HashWorker(Post post, std::size_t maxQueued, std::size_t threads)
    : post_(std::move(post)), maxQueued_(maxQueued) {
    threads_.reserve(std::max<std::size_t>(threads, 1));
    for (std::size_t i = 0; i < std::max<std::size_t>(threads, 1); ++i) {
        threads_.emplace_back([this](const std::stop_token& stop) { loop(stop); });
    }
}

HashWorker::~HashWorker() {
    for (std::jthread& thread : threads_) {
        thread.request_stop();
    }
    wake_.notify_all();
}

std::size_t HashWorker::threadsForCores() {
    return std::max(1U, std::thread::hardware_concurrency());
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
