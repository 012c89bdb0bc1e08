#pragma once

#include <cstdint>
#include <exception>
#include <functional>

struct HWND__;
using HWND = HWND__*;

namespace ardentis::platform {

// A hidden message-only window (HWND_MESSAGE) on the calling thread, the target of its
// owner's SetTimer timers, WSAAsyncSelect events and posted messages. WM_TIMER and the
// messages from WM_APP up go to the owner's handler, the rest to DefWindowProc. No
// exception crosses into user32: the first one a handler throws is kept until the owner's
// pump takes it. Belongs to the thread that made it.
class MessageWindow {
  public:
    using Handler =
        std::function<void(unsigned message, std::uintptr_t wParam, std::intptr_t lParam)>;

    // `what` names the window in the exception thrown when it cannot be made.
    MessageWindow(const char* what, Handler handler);
    ~MessageWindow();
    MessageWindow(const MessageWindow&) = delete;
    MessageWindow& operator=(const MessageWindow&) = delete;

    [[nodiscard]] HWND handle() const noexcept { return window_; }
    // What a handler threw since the last call, or null.
    [[nodiscard]] std::exception_ptr takeFailure() noexcept;

  private:
    friend class MessageWindowProcedure;

    void route(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) noexcept;

    Handler handler_;
    std::exception_ptr failure_;
    HWND window_ = nullptr;
};

}  // namespace ardentis::platform
