#include <windows.h>

#include "platform/win32/message_window.h"

#include <stdexcept>
#include <string>
#include <utility>

namespace ardentis::platform {
namespace {

constexpr wchar_t kWindowClass[] = L"ArdentisMessageWindow";

}  // namespace

// The window procedure; a friend so that it may route to the window's private handler.
class MessageWindowProcedure {
  public:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<MessageWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self == nullptr || (message < WM_APP && message != WM_TIMER)) {
            return DefWindowProcW(window, message, wParam, lParam);
        }
        self->route(message, wParam, lParam);
        return 0;
    }

    // Once per process: every message-only window shares the class.
    static bool registerClass() {
        static const bool registered = [] {
            WNDCLASSEXW windowClass{};
            windowClass.cbSize = sizeof windowClass;
            windowClass.lpfnWndProc = &MessageWindowProcedure::procedure;
            windowClass.hInstance = GetModuleHandleW(nullptr);
            windowClass.lpszClassName = kWindowClass;
            return RegisterClassExW(&windowClass) != 0;
        }();
        return registered;
    }
};

MessageWindow::MessageWindow(const char* what, Handler handler) : handler_(std::move(handler)) {
    if (!MessageWindowProcedure::registerClass()) {
        throw std::runtime_error(std::string("RegisterClassExW failed for the ") + what);
    }
    window_ = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    if (window_ == nullptr) {
        throw std::runtime_error(std::string("CreateWindowExW failed for the ") + what);
    }
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

MessageWindow::~MessageWindow() {
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
}

std::exception_ptr MessageWindow::takeFailure() noexcept {
    return std::exchange(failure_, nullptr);
}

void MessageWindow::route(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) noexcept {
    try {
        handler_(message, wParam, lParam);
    } catch (...) {
        if (!failure_) {
            failure_ = std::current_exception();
        }
    }
}

}  // namespace ardentis::platform
