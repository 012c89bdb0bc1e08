#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <list>
#include <mutex>
#include <thread>

namespace ardentis::forms {

// The short-lived workers that send chat lines and play alert sounds off the window
// thread. One worker does one action and ends. The group joins finished workers as new
// ones start and all of them when it is destroyed, so none outlives the client.
class TClientDataThread {
  public:
    enum class Action : std::uint8_t { LobbyChat = 1, RoomChat = 2, SoundBB = 3, SoundWarning = 4 };
    enum class Order : std::uint8_t {
        Free,    // runs at once beside every other worker (sounds)
        InTurn,  // runs after every InTurn worker started before it (chat lines keep
                 // the order they were typed in)
    };

    // Starts a thread for a worker; replaceable so that a failing start can be tried.
    using ThreadStarter = std::function<std::thread(std::function<void()>)>;

    TClientDataThread();
    explicit TClientDataThread(ThreadStarter starter);
    ~TClientDataThread();
    TClientDataThread(const TClientDataThread&) = delete;
    TClientDataThread& operator=(const TClientDataThread&) = delete;

    // Runs `work` on a new thread. Whatever it needs must be captured by value. False when
    // no thread could be started: the work did not run and no later worker waits for it.
    [[nodiscard]] bool start(std::function<void()> work, Order order = Order::Free);
    // Waits until every worker started so far has ended.
    void waitAll();

  private:
    struct Worker {
        std::thread thread;
        bool done = false;
    };
    void reapFinished();
    void waitForTurn(std::uint64_t ticket);
    void endTurn();

    ThreadStarter starter_;
    // Guards workers_, nextTicket_ and turn_. Taken by the window thread when starting or
    // waiting, and by each worker around its turn and to mark itself done; never held while
    // a worker's work runs or while joining.
    std::mutex mutex_;
    std::condition_variable turnChanged_;
    std::list<Worker> workers_;
    std::uint64_t nextTicket_ = 0;
    std::uint64_t turn_ = 0;
};

}  // namespace ardentis::forms
