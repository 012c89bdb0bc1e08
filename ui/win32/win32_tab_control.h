#pragma once

#include "ui/win32/dialog.h"

namespace ardentis::win32 {

// A SysTabControl32 whose tabs show and hide pages (Win32Page). Each tab item carries its
// page's window; a change of tab, by the user or by Win32Page::activate, shows that page
// and hides the others. It runs no handler of the core.
class Win32TabControl {
  public:
    Win32TabControl(Dialog& dialog, int controlId);
    Win32TabControl(const Win32TabControl&) = delete;
    Win32TabControl& operator=(const Win32TabControl&) = delete;

    [[nodiscard]] HWND handle() const noexcept { return control_; }
    [[nodiscard]] int tabCount() const;
    // The page window of tab `index`, null when there is no such tab.
    [[nodiscard]] HWND pageAt(int index) const;
    // The tab that shows `page`, or -1.
    [[nodiscard]] int tabOf(HWND page) const;
    // Shows the selected tab's page and hides the other pages.
    void showSelected() const;

  private:
    HWND control_;
    Dialog::Registration registration_;
};

}  // namespace ardentis::win32
