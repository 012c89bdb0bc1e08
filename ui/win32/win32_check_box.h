#pragma once

#include "controls/check_box.h"
#include "ui/win32/dialog.h"

namespace ardentis::win32 {

// A check box (BS_AUTOCHECKBOX, or a constructor throws std::invalid_argument). The user's
// click has toggled the mark by the time BN_CLICKED arrives, and runs onClick once; the
// program's setChecked runs it through the interface, the control itself staying silent.
class Win32CheckBox final : public forms::CheckBox {
  public:
    Win32CheckBox(Dialog& dialog, int controlId);
    Win32CheckBox(const Win32CheckBox&) = delete;
    Win32CheckBox& operator=(const Win32CheckBox&) = delete;

    [[nodiscard]] bool checked() const override;
    [[nodiscard]] bool enabled() const override;
    void setEnabled(bool enabled) override;
    [[nodiscard]] bool visible() const override;
    void setVisible(bool visible) override;
    [[nodiscard]] text::Gbk caption() const;

    [[nodiscard]] HWND handle() const noexcept { return control_; }

  protected:
    void applyChecked(bool checked) override;

  private:
    void handleCommand(int code);

    HWND control_;
    bool sending_ = false;
    Dialog::Registration registration_;
};

}  // namespace ardentis::win32
