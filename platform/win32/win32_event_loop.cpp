#include <windows.h>

#include "platform/win32/win32_event_loop.h"

#include <algorithm>
#include <climits>
#include <exception>
#include <iterator>
#include <utility>

namespace ardentis::platform {
namespace {

// Dialogs use the WM_USER range; the loop's own message sits in the WM_APP range.
constexpr UINT kPostedMessage = WM_APP + 16;
// The class atom of dialog boxes (WC_DIALOG, "#32770").
constexpr DWORD kDialogClassAtom = 32770;

// Modeless dialogs get their keyboard navigation (Tab, arrows, Enter, Esc) here, as a
// modal dialog's own loop would give it.
void dispatch(MSG& message) {
    HWND root = message.hwnd != nullptr ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    if (root != nullptr && GetClassLongW(root, GCW_ATOM) == kDialogClassAtom &&
        IsDialogMessageW(root, &message) != FALSE) {
        return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

}  // namespace

class Win32EventLoop::Win32Timer final : public Timer {
  public:
    Win32Timer(Win32EventLoop& loop, std::uintptr_t id, int interval, std::function<void()> onTimer)
        : loop_(loop), id_(id), interval_(interval), onTimer_(std::move(onTimer)) {}
    ~Win32Timer() override {
        KillTimer(loop_.window_.handle(), id_);
        loop_.timers_.erase(id_);
    }
    Win32Timer(const Win32Timer&) = delete;
    Win32Timer& operator=(const Win32Timer&) = delete;

    [[nodiscard]] int interval() const override { return interval_; }
    void setInterval(int milliseconds) override {
        interval_ = milliseconds;
        if (enabled_) {
            start();
        }
    }
    [[nodiscard]] bool enabled() const override { return enabled_; }
    void setEnabled(bool enabled) override {
        enabled_ = enabled;
        if (enabled_) {
            start();  // SetTimer on a running id starts its interval anew
        } else {
            KillTimer(loop_.window_.handle(), id_);
        }
    }

    void fire() const {
        // A copy: the handler may destroy this timer.
        const auto handler = onTimer_;
        if (handler) {
            handler();
        }
    }

  private:
    void start() {
        SetTimer(loop_.window_.handle(), id_, static_cast<UINT>(std::max(interval_, 1)), nullptr);
    }

    Win32EventLoop& loop_;
    std::uintptr_t id_;
    int interval_;
    bool enabled_ = false;
    std::function<void()> onTimer_;
};

Win32EventLoop::Win32EventLoop()
    : window_("event loop window",
              [this](unsigned message, std::uintptr_t wParam, std::intptr_t /*lParam*/) {
                  handleMessage(message, wParam);
              }) {}

Win32EventLoop::~Win32EventLoop() = default;

std::unique_ptr<Timer> Win32EventLoop::createTimer(int intervalMs, bool enabled,
                                                   std::function<void()> onTimer) {
    const std::uintptr_t id = nextTimerId_++;
    auto timer = std::make_unique<Win32Timer>(*this, id, intervalMs, std::move(onTimer));
    timers_.emplace(id, timer.get());
    timer->setEnabled(enabled);
    return timer;
}

void Win32EventLoop::post(std::function<void()> work) {
    bool first = false;
    {
        const std::lock_guard lock(postedMutex_);
        first = posted_.empty();
        posted_.push_back(std::move(work));
    }
    // One message drains everything queued by then; later work posts the next one.
    if (first) {
        PostMessageW(window_.handle(), kPostedMessage, 0, 0);
    }
}

std::chrono::milliseconds Win32EventLoop::now() const {
    return std::chrono::milliseconds(static_cast<long long>(GetTickCount64()));
}

int Win32EventLoop::run() {
    MSG message{};
    for (;;) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            return static_cast<int>(message.wParam);
        }
        if (got == -1) {
            return -1;
        }
        dispatch(message);
        rethrowFailure();
    }
}

bool Win32EventLoop::runUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (done()) {
            return true;
        }
        MSG message{};
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) != FALSE) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));  // for the outer loop
                return done();
            }
            dispatch(message);
            rethrowFailure();
            if (done()) {
                return true;
            }
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return done();
        }
        MsgWaitForMultipleObjectsEx(0, nullptr,
                                    static_cast<DWORD>(std::min<long long>(left.count(), INT_MAX)),
                                    QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

void Win32EventLoop::quit(int exitCode) {
    PostQuitMessage(exitCode);
}

void Win32EventLoop::handleMessage(unsigned message, std::uintptr_t wParam) {
    if (message == WM_TIMER) {
        fireTimer(wParam);
    } else if (message == kPostedMessage) {
        runPosted();
    }
}

void Win32EventLoop::fireTimer(std::uintptr_t id) {
    const auto found = timers_.find(id);
    // A WM_TIMER queued before its timer was stopped or destroyed is dropped.
    if (found == timers_.end() || !found->second->enabled()) {
        return;
    }
    found->second->fire();
}

void Win32EventLoop::runPosted() {
    std::deque<std::function<void()>> batch;
    {
        const std::lock_guard lock(postedMutex_);
        batch.swap(posted_);
    }
    while (!batch.empty()) {
        const auto work = std::move(batch.front());
        batch.pop_front();
        try {
            work();
        } catch (...) {
            // What was not run yet goes back to the front, for the next message.
            bool wasEmpty = false;
            {
                const std::lock_guard lock(postedMutex_);
                wasEmpty = posted_.empty();
                posted_.insert(posted_.begin(), std::make_move_iterator(batch.begin()),
                               std::make_move_iterator(batch.end()));
            }
            if (wasEmpty && !batch.empty()) {
                PostMessageW(window_.handle(), kPostedMessage, 0, 0);
            }
            throw;
        }
    }
}

void Win32EventLoop::rethrowFailure() {
    if (const std::exception_ptr failure = window_.takeFailure()) {
        std::rethrow_exception(failure);
    }
}

}  // namespace ardentis::platform
