#include <windows.h>

#include "ui/win32/win32_drop_down.h"

#include <string>

#include "platform/win32/wide_text.h"
#include "ui/win32/sending_scope.h"

namespace ardentis::win32 {

Win32DropDown::Win32DropDown(Dialog& dialog, int controlId, std::span<const text::Gbk> items,
                             int selected)
    : control_(dialog.item(controlId)),
      registration_(
          dialog.route(controlId, {.command = [this](int code) { handleCommand(code); }})) {
    for (const text::Gbk& item : items) {
        addItem(item);
    }
    setItemIndex(selected);
}

int Win32DropDown::count() const {
    return static_cast<int>(SendMessageW(control_, CB_GETCOUNT, 0, 0));
}

text::Gbk Win32DropDown::item(int index) const {
    if (index < 0) {
        return {};
    }
    const LRESULT length = SendMessageW(control_, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR || length <= 0) {
        return {};
    }
    std::wstring wide(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT copied = SendMessageW(control_, CB_GETLBTEXT, static_cast<WPARAM>(index),
                                        reinterpret_cast<LPARAM>(wide.data()));
    wide.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return platform::wideToGbkLossy(wide);
}

void Win32DropDown::addItem(const text::Gbk& item) {
    const SendingScope scope(sending_);
    const std::wstring wide = platform::gbkToWideLossy(item.view());
    SendMessageW(control_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

void Win32DropDown::clear() {
    const SendingScope scope(sending_);
    SendMessageW(control_, CB_RESETCONTENT, 0, 0);
}

int Win32DropDown::itemIndex() const {
    const LRESULT index = SendMessageW(control_, CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? -1 : static_cast<int>(index);
}

void Win32DropDown::setItemIndex(int index) {
    const SendingScope scope(sending_);
    const int valid = index >= 0 && index < count() ? index : -1;
    SendMessageW(control_, CB_SETCURSEL, static_cast<WPARAM>(valid), 0);
}

bool Win32DropDown::enabled() const {
    return IsWindowEnabled(control_) != FALSE;
}

void Win32DropDown::setEnabled(bool enabled) {
    EnableWindow(control_, enabled ? TRUE : FALSE);
}

void Win32DropDown::handleCommand(int code) {
    if (code == CBN_SELCHANGE && !sending_) {
        onChange();
    }
}

}  // namespace ardentis::win32
