#pragma once

#include "controls/open_file_dialog.h"
#include "ui/win32/hwnd_fwd.h"

namespace ardentis::win32 {

// The system's open-file dialog (GetOpenFileNameW), owned by the given window or the
// thread's active one. The filter's "description|pattern" pairs become the double-NUL
// list; a chosen name that GBK cannot hold counts as cancelled, since the core could not
// use it.
class Win32OpenFileDialog final : public forms::OpenFileDialog {
  public:
    explicit Win32OpenFileDialog(HWND owner = nullptr) : owner_(owner) {}

    void setOwner(HWND owner) noexcept { owner_ = owner; }
    [[nodiscard]] std::optional<text::Gbk> run(const text::Gbk& title,
                                               const text::Gbk& filter) override;

  private:
    HWND owner_;
};

}  // namespace ardentis::win32
