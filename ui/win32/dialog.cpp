#include <windows.h>

#include "ui/win32/dialog.h"

#include "platform/win32/wide_text.h"
#include "text/shown.h"
#include "ui/win32/handler_failure.h"

#include <stdexcept>
#include <string>
#include <utility>

namespace ardentis::win32 {
namespace {

// WM_DPICHANGED, named here for SDKs that predate it.
constexpr UINT kDpiChanged = 0x02E0;

// A window's text in the chosen language, looked up by the Chinese text it was made with.
void translateText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) {
        return;
    }
    std::wstring wide(static_cast<std::size_t>(length) + 1, L'\0');
    wide.resize(static_cast<std::size_t>(GetWindowTextW(window, wide.data(), length + 1)));
    const text::Gbk chinese = platform::wideToGbkLossy(wide);
    const text::Gbk shown = text::shownText(chinese);
    if (shown != chinese) {
        SetWindowTextW(window, platform::gbkToWideLossy(shown.view()).c_str());
    }
}

// The resources hold one set of dialogs, in Chinese: the caption and the children's texts
// are translated as the dialog is made.
void translateTexts(HWND dialog) {
    if (text::language() == text::Language::Chinese) {
        return;
    }
    translateText(dialog);
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        translateText(child);
    }
}

}  // namespace

// The one dialog procedure; a friend so that it may route to the dialog's private handler.
class DialogProcedure {
  public:
    static INT_PTR CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_INITDIALOG) {
            SetWindowLongPtrW(window, GWLP_USERDATA, lParam);
            reinterpret_cast<Dialog*>(lParam)->window_ = window;
        }
        auto* self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self == nullptr) {
            return FALSE;
        }
        if (message == WM_NCDESTROY) {
            // Destroyed with its parent: the Dialog must not destroy it again.
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            self->window_ = nullptr;
            return FALSE;
        }
        try {
            return self->handleMessage(message, wParam, lParam) ? TRUE : FALSE;
        } catch (...) {
            reportCurrentException("dialog " + std::to_string(self->templateId_));
        }
        return FALSE;
    }
};

Dialog::Registration::Registration(Registration&& other) noexcept
    : dialog_(std::exchange(other.dialog_, nullptr)), key_(other.key_) {}

Dialog::Registration& Dialog::Registration::operator=(Registration&& other) noexcept {
    if (this != &other) {
        if (dialog_ != nullptr) {
            dialog_->unregister(key_);
        }
        dialog_ = std::exchange(other.dialog_, nullptr);
        key_ = other.key_;
    }
    return *this;
}

Dialog::Registration::~Registration() {
    if (dialog_ != nullptr) {
        dialog_->unregister(key_);
    }
}

Dialog::Dialog(int templateId, HWND owner) : templateId_(templateId) {
    create(owner);
    font_ = createMessageFont(windowDpi(window_));
    applyFont(window_, font_.get());
}

Dialog::Dialog(int templateId, Dialog& parent) : templateId_(templateId), parent_(&parent) {
    create(parent.handle());
    applyFont(window_, font());
}

void Dialog::create(HWND parent) {
    HWND made = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), parent,
                                   &DialogProcedure::procedure, reinterpret_cast<LPARAM>(this));
    if (made == nullptr) {
        throw std::runtime_error("CreateDialogParamW failed for dialog template " +
                                 std::to_string(templateId_) + ", error " +
                                 std::to_string(GetLastError()));
    }
    window_ = made;
    translateTexts(made);
}

Dialog::~Dialog() {
    if (window_ != nullptr) {
        // Messages sent while the children go away must find no routes.
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

HWND Dialog::item(int controlId) const {
    HWND control = GetDlgItem(window_, controlId);
    if (control == nullptr) {
        throw std::invalid_argument("dialog " + std::to_string(templateId_) + " has no control " +
                                    std::to_string(controlId));
    }
    return control;
}

HFONT Dialog::font() const noexcept {
    return parent_ != nullptr ? parent_->font() : font_.get();
}

Dialog::Registration Dialog::route(int controlId, ControlRoutes routes) {
    if (!routes_.emplace(controlId, std::move(routes)).second) {
        throw std::logic_error("dialog " + std::to_string(templateId_) + ": control " +
                               std::to_string(controlId) + " is routed twice");
    }
    return {*this, controlId};
}

Dialog::Registration Dialog::routeClose(std::function<void()> onClose) {
    if (onClose_) {
        throw std::logic_error("dialog " + std::to_string(templateId_) +
                               ": its close request is routed twice");
    }
    onClose_ = std::move(onClose);
    return {*this, kCloseKey};
}

void Dialog::unregister(int key) noexcept {
    if (key == kCloseKey) {
        onClose_ = nullptr;
    } else {
        routes_.erase(key);
    }
}

bool Dialog::handleMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return parent_ == nullptr;  // a window takes the focus; a page leaves it alone
        case WM_COMMAND:
            return routeCommand(LOWORD(wParam), HIWORD(wParam));
        case WM_NOTIFY:
            return routeNotify(*reinterpret_cast<const NMHDR*>(lParam));
        case WM_HSCROLL:
        case WM_VSCROLL:
            return routeScroll(reinterpret_cast<HWND>(lParam), LOWORD(wParam));
        case WM_CLOSE:
            if (onClose_) {
                const auto onClose = onClose_;  // a copy: the handler may unregister it
                onClose();
                return true;
            }
            return false;
        case kDpiChanged:
            if (parent_ == nullptr) {
                changeDpi(LOWORD(wParam), reinterpret_cast<const void*>(lParam));
                return true;
            }
            return false;
        default:
            return false;
    }
}

bool Dialog::routeCommand(int controlId, int code) {
    const auto found = routes_.find(controlId);
    if (found == routes_.end() || !found->second.command) {
        return false;
    }
    const auto command = found->second.command;  // a copy: the handler may unregister it
    command(code);
    return true;
}

bool Dialog::routeNotify(const NMHDR& header) {
    const auto found = routes_.find(static_cast<int>(header.idFrom));
    if (found == routes_.end() || !found->second.notify) {
        return false;
    }
    const auto notify = found->second.notify;
    notify(header);
    return true;
}

bool Dialog::routeScroll(HWND control, int code) {
    if (control == nullptr) {
        return false;  // the dialog's own scroll bar
    }
    const auto found = routes_.find(GetDlgCtrlID(control));
    if (found == routes_.end() || !found->second.scroll) {
        return false;
    }
    const auto scroll = found->second.scroll;
    scroll(code);
    return true;
}

void Dialog::changeDpi(unsigned dpi, const void* suggested) {
    UniqueFont font = createMessageFont(dpi);
    applyFont(window_, font.get());
    font_ = std::move(font);  // the old font goes once no child uses it
    const auto* area = static_cast<const RECT*>(suggested);
    SetWindowPos(window_, nullptr, area->left, area->top, area->right - area->left,
                 area->bottom - area->top, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace ardentis::win32
