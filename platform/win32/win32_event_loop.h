#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

#include "platform/event_loop.h"
#include "platform/win32/message_window.h"

namespace ardentis::platform {

// The window thread's loop on the Windows message loop. Timers are SetTimer timers and
// posted work arrives as a message, both on a message-only window made by the constructor
// on the calling thread, which becomes the window thread. The pumps dispatch every message
// of the thread, so dialogs and WSAAsyncSelect sockets of that thread run through them.
// post() may be called from any thread; everything else belongs to the window thread. The
// loop must outlive its timers.
class Win32EventLoop final : public EventLoop {
  public:
    Win32EventLoop();
    ~Win32EventLoop() override;
    Win32EventLoop(const Win32EventLoop&) = delete;
    Win32EventLoop& operator=(const Win32EventLoop&) = delete;

    [[nodiscard]] std::unique_ptr<Timer> createTimer(int intervalMs, bool enabled,
                                                     std::function<void()> onTimer) override;
    void post(std::function<void()> work) override;
    // GetTickCount64: monotonic, in milliseconds since the system started.
    [[nodiscard]] std::chrono::milliseconds now() const override;

    // The message loop: runs until WM_QUIT and returns its exit code. A timer handler's or
    // posted work's exception, which must not cross the window procedure, is rethrown here.
    int run();
    // Pumps the thread's messages until `done` holds or `limit` has passed; for tests and
    // start-up waits. Returns whether `done` held. A WM_QUIT met here is posted again for
    // the outer loop. Rethrows a handler's exception, as run() does.
    bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);
    // Makes run() return `exitCode` (PostQuitMessage on the window thread).
    static void quit(int exitCode);

  private:
    class Win32Timer;

    void handleMessage(unsigned message, std::uintptr_t wParam);
    void fireTimer(std::uintptr_t id);
    void runPosted();
    void rethrowFailure();

    MessageWindow window_;  // its handler's failures are rethrown by the pumps
    std::uintptr_t nextTimerId_ = 1;
    std::map<std::uintptr_t, Win32Timer*> timers_;  // window thread only; not owned

    // Guards posted_. Taken by any thread in post() and by the window thread while it takes
    // work out; never held while work runs.
    std::mutex postedMutex_;
    std::deque<std::function<void()>> posted_;
};

}  // namespace ardentis::platform
