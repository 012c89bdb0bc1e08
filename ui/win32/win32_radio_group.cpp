#include <windows.h>

#include "ui/win32/win32_radio_group.h"

#include <algorithm>
#include <string>

#include "platform/win32/wide_text.h"
#include "ui/win32/sending_scope.h"
#include "ui/win32/window_text.h"

namespace ardentis::win32 {
namespace {

// The box's client area for the buttons, in the dialog's client coordinates: inside the
// frame and below the caption, in dialog units so that it scales with the font.
RECT buttonArea(HWND dialog, HWND group) {
    RECT box{};
    GetWindowRect(group, &box);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&box), 2);
    RECT margins{6, 10, 4, 3};  // left, top, right, bottom
    MapDialogRect(dialog, &margins);
    return RECT{box.left + margins.left, box.top + margins.top, box.right - margins.right,
                box.bottom - margins.bottom};
}

}  // namespace

Win32RadioGroup::Win32RadioGroup(Dialog& dialog, int groupBoxId, int firstItemId,
                                 std::span<const text::Gbk> items, int selected, int columns)
    : group_(dialog.item(groupBoxId)) {
    const int itemCount = static_cast<int>(items.size());
    const int columnCount = std::max(1, columns);
    const int perColumn = std::max(1, (itemCount + columnCount - 1) / columnCount);
    const RECT area = buttonArea(dialog.handle(), group_);
    const int width = (area.right - area.left) / columnCount;
    const int height = (area.bottom - area.top) / perColumn;
    HWND previous = group_;
    for (int index = 0; index < itemCount; ++index) {
        const std::wstring caption =
            platform::gbkToWideLossy(items[static_cast<std::size_t>(index)].view());
        const DWORD style =
            WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_RADIOBUTTON | (index == 0 ? WS_GROUP : 0);
        HWND button = CreateWindowExW(
            0, L"BUTTON", caption.c_str(), style, area.left + (index / perColumn) * width,
            area.top + (index % perColumn) * height, width, height, dialog.handle(),
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(firstItemId + index)),
            GetModuleHandleW(nullptr), nullptr);
        SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(dialog.font()), FALSE);
        // Right after the box in the tab order, as a resource would place them.
        SetWindowPos(button, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        previous = button;
        buttons_.push_back(button);
        registrations_.push_back(
            dialog.route(firstItemId + index,
                         {.command = [this, index](int code) { handleCommand(index, code); }}));
    }
    applyItemIndex(selected < 0 || selected >= itemCount ? -1 : selected);
}

text::Gbk Win32RadioGroup::item(int index) const {
    return index >= 0 && index < count() ? windowText(button(index)) : text::Gbk();
}

int Win32RadioGroup::itemIndex() const {
    for (int index = 0; index < count(); ++index) {
        if (SendMessageW(button(index), BM_GETCHECK, 0, 0) == BST_CHECKED) {
            return index;
        }
    }
    return -1;
}

bool Win32RadioGroup::enabled() const {
    return IsWindowEnabled(group_) != FALSE;
}

void Win32RadioGroup::setEnabled(bool enabled) {
    EnableWindow(group_, enabled ? TRUE : FALSE);
    for (HWND button : buttons_) {
        EnableWindow(button, enabled ? TRUE : FALSE);
    }
}

text::Gbk Win32RadioGroup::caption() const {
    return windowText(group_);
}

HWND Win32RadioGroup::button(int index) const {
    return buttons_.at(static_cast<std::size_t>(index));
}

void Win32RadioGroup::applyItemIndex(int index) {
    const SendingScope scope(sending_);
    for (int each = 0; each < count(); ++each) {
        SendMessageW(button(each), BM_SETCHECK, each == index ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

void Win32RadioGroup::handleCommand(int index, int code) {
    // Arrow keys move the focus to a radio button, which then reports a click as well.
    if (code == BN_CLICKED && !sending_ && enabled()) {
        setItemIndex(index);
    }
}

}  // namespace ardentis::win32
