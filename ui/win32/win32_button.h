#pragma once

#include "controls/button.h"
#include "ui/win32/dialog.h"

namespace ardentis::win32 {

// A push button (BUTTON), or a clickable picture: a STATIC with SS_NOTIFY, whose STN_CLICKED
// has BN_CLICKED's code. A click, the user's or BM_CLICK, runs onClick; a disabled or
// hidden button takes none, as in memory.
class Win32Button final : public forms::Button {
  public:
    Win32Button(Dialog& dialog, int controlId);
    Win32Button(const Win32Button&) = delete;
    Win32Button& operator=(const Win32Button&) = delete;

    [[nodiscard]] text::Gbk caption() const override;
    void setCaption(const text::Gbk& caption) override;
    [[nodiscard]] bool enabled() const override;
    void setEnabled(bool enabled) override;
    [[nodiscard]] bool visible() const override;
    void setVisible(bool visible) override;

    [[nodiscard]] HWND handle() const noexcept { return control_; }

  private:
    void handleCommand(int code);

    HWND control_;
    Dialog::Registration registration_;
};

}  // namespace ardentis::win32
