#pragma once

#include "controls/window.h"
#include "ui/win32/dialog.h"

namespace ardentis::win32 {

// A top-level dialog as a window of the core. A close request from the system (WM_CLOSE:
// the title bar's close box, Alt+F4) goes to requestClose(), so the core's onCloseQuery
// decides; an allowed close hides the window, and destroying it is the owner's business.
class Win32Window final : public forms::Window {
  public:
    explicit Win32Window(Dialog& dialog);
    Win32Window(const Win32Window&) = delete;
    Win32Window& operator=(const Win32Window&) = delete;

    [[nodiscard]] bool visible() const override;
    [[nodiscard]] text::Gbk caption() const override;
    void setCaption(const text::Gbk& caption) override;
    [[nodiscard]] forms::WindowSize size() const override;
    void setSize(forms::WindowSize size) override;

    [[nodiscard]] HWND handle() const noexcept { return window_; }

  protected:
    void applyVisible(bool visible) override;

  private:
    HWND window_;
    Dialog::Registration registration_;
};

}  // namespace ardentis::win32
