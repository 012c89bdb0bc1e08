#pragma once

#include "controls/label.h"
#include "ui/win32/dialog.h"

namespace ardentis::win32 {

// A STATIC text. It shows '&' as it is, since labels show names and messages.
class Win32Label final : public forms::Label {
  public:
    Win32Label(Dialog& dialog, int controlId);
    Win32Label(const Win32Label&) = delete;
    Win32Label& operator=(const Win32Label&) = delete;

    [[nodiscard]] text::Gbk caption() const override;
    void setCaption(const text::Gbk& caption) override;

    [[nodiscard]] HWND handle() const noexcept { return control_; }

  private:
    HWND control_;
};

}  // namespace ardentis::win32
