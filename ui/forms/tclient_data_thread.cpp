#include "ui/forms/tclient_data_thread.h"

namespace ardentis::forms {

TClientDataThread::~TClientDataThread() {
    waitAll();
}

void TClientDataThread::start(std::function<void()> work, Order order) {
    reapFinished();
    const std::lock_guard lock(mutex_);
    const bool inTurn = order == Order::InTurn;
    const std::uint64_t ticket = inTurn ? nextTicket_++ : 0;
    Worker& worker = workers_.emplace_back();
    worker.thread = std::thread([this, &worker, inTurn, ticket, work = std::move(work)] {
        if (inTurn) {
            waitForTurn(ticket);
        }
        try {
            work();
        } catch (...) {
            // A worker's failure ends that worker only; nothing crosses the thread.
        }
        if (inTurn) {
            endTurn();
        }
        const std::lock_guard done(mutex_);
        worker.done = true;
    });
}

void TClientDataThread::waitForTurn(std::uint64_t ticket) {
    std::unique_lock lock(mutex_);
    turnChanged_.wait(lock, [&] { return turn_ == ticket; });
}

void TClientDataThread::endTurn() {
    {
        const std::lock_guard lock(mutex_);
        ++turn_;
    }
    turnChanged_.notify_all();
}

void TClientDataThread::reapFinished() {
    std::list<Worker> finished;
    {
        const std::lock_guard lock(mutex_);
        for (auto it = workers_.begin(); it != workers_.end();) {
            auto next = std::next(it);
            if (it->done) {
                finished.splice(finished.end(), workers_, it);
            }
            it = next;
        }
    }
    for (Worker& worker : finished) {
        worker.thread.join();
    }
}

void TClientDataThread::waitAll() {
    std::list<Worker> all;
    {
        const std::lock_guard lock(mutex_);
        all.splice(all.end(), workers_);
    }
    for (Worker& worker : all) {
        worker.thread.join();
    }
}

}  // namespace ardentis::forms
