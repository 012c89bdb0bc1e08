#pragma once

#include <cstdint>

#include "controls/edit.h"
#include "ui/win32/dialog.h"

namespace ardentis::win32 {

enum class EditEcho : std::uint8_t {
    Plain,
    Masked,  // every character shows as '*'
};

// A one-line EDIT. Typing raises EN_CHANGE, which runs onChange; the program's setText runs
// it through the interface while the EN_CHANGE of its own WM_SETTEXT is dropped.
class Win32Edit final : public forms::Edit {
  public:
    Win32Edit(Dialog& dialog, int controlId, EditEcho echo = EditEcho::Plain);
    Win32Edit(const Win32Edit&) = delete;
    Win32Edit& operator=(const Win32Edit&) = delete;

    [[nodiscard]] text::Gbk text() const override;
    [[nodiscard]] bool enabled() const override;
    void setEnabled(bool enabled) override;

    [[nodiscard]] HWND handle() const noexcept { return control_; }

  protected:
    void applyText(const text::Gbk& text) override;

  private:
    void handleCommand(int code);

    HWND control_;
    bool sending_ = false;
    Dialog::Registration registration_;
};

}  // namespace ardentis::win32
