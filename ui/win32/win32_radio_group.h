#pragma once

#include <span>
#include <vector>

#include "controls/radio_group.h"
#include "ui/win32/dialog.h"

namespace ardentis::win32 {

// A group box with one radio button per item, made here inside the box in `columns`
// columns (filled column by column), with the ids firstItemId, firstItemId + 1, ... which
// the dialog must not use otherwise. The buttons are BS_RADIOBUTTON, not auto: a click
// leaves the mark to setItemIndex, so the interface sees the selection change and runs
// onClick once, as in memory; the program's selection runs it through the interface.
class Win32RadioGroup final : public forms::RadioGroup {
  public:
    Win32RadioGroup(Dialog& dialog, int groupBoxId, int firstItemId,
                    std::span<const text::Gbk> items, int selected, int columns = 1);
    Win32RadioGroup(const Win32RadioGroup&) = delete;
    Win32RadioGroup& operator=(const Win32RadioGroup&) = delete;

    [[nodiscard]] int count() const override { return static_cast<int>(buttons_.size()); }
    [[nodiscard]] text::Gbk item(int index) const override;
    [[nodiscard]] int itemIndex() const override;
    [[nodiscard]] bool enabled() const override;
    void setEnabled(bool enabled) override;
    [[nodiscard]] text::Gbk caption() const;

    [[nodiscard]] HWND groupBox() const noexcept { return group_; }
    [[nodiscard]] HWND button(int index) const;

  protected:
    void applyItemIndex(int index) override;

  private:
    void handleCommand(int index, int code);

    HWND group_;
    std::vector<HWND> buttons_;
    bool sending_ = false;
    std::vector<Dialog::Registration> registrations_;
};

}  // namespace ardentis::win32
