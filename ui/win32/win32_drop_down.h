#pragma once

#include <span>

#include "controls/drop_down.h"
#include "ui/win32/dialog.h"

namespace ardentis::win32 {

// A CBS_DROPDOWNLIST combo box (without CBS_SORT, so items keep their order), filled here
// with `items` and `selected` (-1: none). The user's choice (CBN_SELCHANGE) runs onChange;
// the program's selection and filling run nothing.
class Win32DropDown final : public forms::DropDown {
  public:
    Win32DropDown(Dialog& dialog, int controlId, std::span<const text::Gbk> items = {},
                  int selected = -1);
    Win32DropDown(const Win32DropDown&) = delete;
    Win32DropDown& operator=(const Win32DropDown&) = delete;

    [[nodiscard]] int count() const override;
    [[nodiscard]] text::Gbk item(int index) const override;
    void addItem(const text::Gbk& item) override;
    void clear() override;
    [[nodiscard]] int itemIndex() const override;
    // An index outside the list selects nothing, as in memory.
    void setItemIndex(int index) override;
    [[nodiscard]] bool enabled() const override;
    void setEnabled(bool enabled) override;

    [[nodiscard]] HWND handle() const noexcept { return control_; }

  private:
    void handleCommand(int code);

    HWND control_;
    bool sending_ = false;
    Dialog::Registration registration_;
};

}  // namespace ardentis::win32
