#pragma once

#include "platform/info_box.h"
#include "ui/win32/hwnd_fwd.h"

namespace ardentis::win32 {

// The modal information box: MessageBoxW with one OK button and the program's name as caption,
// owned by the given window, or by the thread's active window when none is given.
class Win32InfoBox final : public platform::InfoBox {
  public:
    explicit Win32InfoBox(HWND owner = nullptr) : owner_(owner) {}

    void setOwner(HWND owner) noexcept { owner_ = owner; }
    void showInfo(const text::Gbk& message) override;
    [[nodiscard]] bool askYesNo(const text::Gbk& message) override;

  private:
    HWND owner_;
};

}  // namespace ardentis::win32
