#pragma once

#include "controls/slider.h"
#include "ui/win32/dialog.h"

namespace ardentis::win32 {

// A trackbar with the given range and position, set here without running onChange. The
// user's drag moves the control before WM_HSCROLL arrives, so the wrapper keeps the last
// position it reported and runs onChange once per position reached; a drag's closing
// TB_THUMBPOSITION and TB_ENDTRACK, which change nothing, run nothing.
class Win32Slider final : public forms::Slider {
  public:
    Win32Slider(Dialog& dialog, int controlId, int minimum, int maximum, int position);
    Win32Slider(const Win32Slider&) = delete;
    Win32Slider& operator=(const Win32Slider&) = delete;

    [[nodiscard]] int minimum() const override;
    [[nodiscard]] int maximum() const override;
    [[nodiscard]] int position() const override;
    [[nodiscard]] bool enabled() const override;
    void setEnabled(bool enabled) override;

    [[nodiscard]] HWND handle() const noexcept { return control_; }

  protected:
    void applyPosition(int position) override;

  private:
    void handleScroll(int code);

    HWND control_;
    int reported_ = 0;  // the position onChange last ran for, or the program set
    bool sending_ = false;
    Dialog::Registration registration_;
};

}  // namespace ardentis::win32
