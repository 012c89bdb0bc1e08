#pragma once

#include <cstdint>
#include <vector>

#include "platform/desktop_notifier.h"
#include "platform/win32/message_window.h"
#include "ui/win32/hwnd_fwd.h"

namespace ardentis::win32 {

// The taskbar and the notification area for the client's two main windows, the lobby and the
// room: it watches which of them the user last activated (the one flashed) and, while
// minimising to the tray is on, turns their minimise into hiding both behind the tray icon.
// The icon's clicks come to a message-only window of its own. Lives on the window thread and
// must be destroyed before the windows it watches.
class Win32DesktopNotifier final : public platform::DesktopNotifier {
  public:
    // The icon is the executable's icon resource `iconId`, or the system's application icon.
    Win32DesktopNotifier(HWND lobby, HWND room, int iconId);
    ~Win32DesktopNotifier() override;
    Win32DesktopNotifier(const Win32DesktopNotifier&) = delete;
    Win32DesktopNotifier& operator=(const Win32DesktopNotifier&) = delete;

    [[nodiscard]] bool inFront() const override;
    void flash() override;
    bool balloon(const text::Gbk& title, const text::Gbk& text) override;
    bool showTrayIcon(bool shown) override;
    void minimiseToTray(bool on) override;

    // The window the icon reports its clicks to, and the message it uses.
    [[nodiscard]] HWND trayWindow() const noexcept { return messages_.handle(); }
    static constexpr unsigned kTrayMessage = 0x8000 + 0x40;  // WM_APP + 0x40
    [[nodiscard]] HWND lastUsed() const noexcept { return lastUsed_; }

  private:
    friend class NotifierSubclass;

    // What the watched windows' messages ask of it; true when the message is handled.
    bool windowMessage(HWND window, unsigned message, std::uintptr_t wParam);
    void trayMessage(std::intptr_t lParam);
    void hideToTray();
    void bringBack();

    HWND lobby_;
    HWND room_;
    HWND lastUsed_;
    int iconId_;
    unsigned taskbarCreated_;  // broadcast to top-level windows only, so watched on the lobby
    platform::MessageWindow messages_;
    bool iconShown_ = false;
    bool toTray_ = false;
    std::vector<HWND> hidden_;  // the windows hidden to the tray, shown again on a click
};

}  // namespace ardentis::win32
