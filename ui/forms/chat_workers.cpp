#include "ui/forms/chat_workers.h"

#include <system_error>
#include <utility>

namespace ardentis::forms {

TClientDataThread::TClientDataThread()
    : TClientDataThread([](std::function<void()> body) { return std::thread(std::move(body)); }) {}

TClientDataThread::TClientDataThread(ThreadStarter starter) : starter_(std::move(starter)) {}

TClientDataThread::~TClientDataThread() {
    waitAll();
}

bool TClientDataThread::start(std::function<void()> work, Order order) {
    reapFinished();
    const std::lock_guard lock(mutex_);
    const bool inTurn = order == Order::InTurn;
    const std::uint64_t ticket = inTurn ? nextTicket_ : 0;
    // The thread starts before the worker is registered or takes its turn: a thread that
    // can't start must leave no turn that later workers would wait for forever, and no
    // entry that can't be joined.
    std::list<Worker> made(1);
    Worker& worker = made.front();
    try {
        worker.thread = starter_([this, &worker, inTurn, ticket, work = std::move(work)] {
            if (inTurn) {
                waitForTurn(ticket);
            }
            try {
                work();
            } catch (...) {  // NOLINT(bugprone-empty-catch): swallowed on purpose, see below
                // A worker's failure ends that worker only; nothing crosses the thread.
            }
            if (inTurn) {
                endTurn();
            }
            const std::lock_guard done(mutex_);
            worker.done = true;
        });
    } catch (const std::system_error&) {
        return false;
    }
    if (!worker.thread.joinable()) {
        return false;
    }
    if (inTurn) {
        ++nextTicket_;
    }
    workers_.splice(workers_.end(), made);
    return true;
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
