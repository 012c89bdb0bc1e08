#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include "ui/win32/win32_desktop_notifier.h"

#include <algorithm>
#include <cwchar>
#include <span>
#include <string>

#include "platform/win32/wide_text.h"
#include "ui/win32/tray_mark.h"

namespace ardentis::win32 {
namespace {

constexpr UINT_PTR kSubclassId = 0x4E4F5449;  // one subclass of ours per window
constexpr UINT kIconId = 1;                   // the program's one tray icon
// Sent by the shell when the user clicks a balloon (NIN_BALLOONUSERCLICK).
constexpr UINT kBalloonClick = WM_USER + 5;

static_assert(Win32DesktopNotifier::kTrayMessage == WM_APP + 0x40);

// Copies as much of `text` as the fixed field holds, always terminated.
void copyInto(std::span<wchar_t> field, const text::Gbk& text) {
    const std::wstring wide = platform::gbkToWideLossy(text.view());
    const std::size_t length = std::min(wide.size(), field.size() - 1);
    std::wmemcpy(field.data(), wide.data(), length);
    field[length] = L'\0';
}

NOTIFYICONDATAW iconData(HWND window) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = window;
    data.uID = kIconId;
    return data;
}

}  // namespace

// The watched windows' subclass procedure; a friend so that it may reach the notifier.
class NotifierSubclass {
  public:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR /*id*/, DWORD_PTR data) {
        auto* self = reinterpret_cast<Win32DesktopNotifier*>(data);
        if (self->windowMessage(window, message, wParam)) {
            return 0;
        }
        return DefSubclassProc(window, message, wParam, lParam);
    }
};

Win32DesktopNotifier::Win32DesktopNotifier(HWND lobby, HWND room, int iconId)
    : lobby_(lobby),
      room_(room),
      lastUsed_(lobby),
      iconId_(iconId),
      taskbarCreated_(RegisterWindowMessageW(L"TaskbarCreated")),
      messages_("tray icon", [this](unsigned message, std::uintptr_t, std::intptr_t lParam) {
          if (message == kTrayMessage) {
              trayMessage(lParam);
          }
      }) {
    for (HWND window : {lobby_, room_}) {
        SetWindowSubclass(window, &NotifierSubclass::procedure, kSubclassId,
                          reinterpret_cast<DWORD_PTR>(this));
    }
}

Win32DesktopNotifier::~Win32DesktopNotifier() {
    for (HWND window : {lobby_, room_}) {
        RemoveWindowSubclass(window, &NotifierSubclass::procedure, kSubclassId);
    }
    (void)showTrayIcon(false);
}

bool Win32DesktopNotifier::windowMessage(HWND window, unsigned message, std::uintptr_t wParam) {
    if (message == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE) {
        lastUsed_ = window;
    } else if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_MINIMIZE && toTray_) {
        hideToTray();
        return true;
    } else if (message == taskbarCreated_ && window == lobby_ && iconShown_) {
        // The shell started again (Explorer restarted) and knows no icons: add ours again.
        iconShown_ = false;
        (void)showTrayIcon(true);
    }
    return false;
}

bool Win32DesktopNotifier::inFront() const {
    HWND front = GetForegroundWindow();
    DWORD process = 0;
    return front != nullptr && GetWindowThreadProcessId(front, &process) != 0 &&
           process == GetCurrentProcessId();
}

void Win32DesktopNotifier::flash() {
    FLASHWINFO info{};
    info.cbSize = sizeof(info);
    // A window hidden to the tray has no button: the lobby's stands for the client.
    info.hwnd = IsWindowVisible(lastUsed_) != FALSE ? lastUsed_ : lobby_;
    info.dwFlags = FLASHW_TRAY | FLASHW_TIMERNOFG;
    FlashWindowEx(&info);
}

bool Win32DesktopNotifier::showTrayIcon(bool shown) {
    if (shown == iconShown_) {
        return true;
    }
    NOTIFYICONDATAW data = iconData(messages_.handle());
    if (!shown) {
        iconShown_ = false;
        return Shell_NotifyIconW(NIM_DELETE, &data) != FALSE;
    }
    data.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
    data.uCallbackMessage = kTrayMessage;
    data.hIcon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(iconId_),
                                               IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    if (data.hIcon == nullptr) {
        data.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    }
    copyInto(data.szTip, text::Gbk("Ardentis"));
    iconShown_ = Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
    return iconShown_;
}

bool Win32DesktopNotifier::balloon(const text::Gbk& title, const text::Gbk& text) {
    if (!showTrayIcon(true)) {
        return false;
    }
    NOTIFYICONDATAW data = iconData(messages_.handle());
    data.uFlags = NIF_INFO;
    copyInto(data.szInfoTitle, title);
    copyInto(data.szInfo, text);
    data.dwInfoFlags = NIIF_INFO;
    return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

void Win32DesktopNotifier::minimiseToTray(bool on) {
    toTray_ = on;
    if (!on) {
        bringBack();
    }
}

void Win32DesktopNotifier::hideToTray() {
    if (!showTrayIcon(true)) {
        return;  // without an icon there would be no way back: minimise as usual instead
    }
    for (HWND window : {lobby_, room_}) {
        if (IsWindowVisible(window) != FALSE) {
            ShowWindow(window, SW_HIDE);
            markInTray(window, true);
            hidden_.push_back(window);
        }
    }
}

void Win32DesktopNotifier::bringBack() {
    for (HWND window : hidden_) {
        if (inTray(window)) {  // not hidden by the program meanwhile
            markInTray(window, false);
            ShowWindow(window, SW_SHOW);
        }
    }
    hidden_.clear();
}

void Win32DesktopNotifier::trayMessage(std::intptr_t lParam) {
    const auto event = static_cast<UINT>(LOWORD(lParam));
    if (event == WM_LBUTTONUP || event == WM_LBUTTONDBLCLK || event == kBalloonClick) {
        bringBack();
        if (IsWindowVisible(lastUsed_) != FALSE) {
            SetForegroundWindow(lastUsed_);
        }
    }
}

}  // namespace ardentis::win32
