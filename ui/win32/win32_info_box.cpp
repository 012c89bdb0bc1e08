#include <windows.h>

#include "ui/win32/win32_info_box.h"

#include <string>

#include "platform/win32/wide_text.h"

namespace ardentis::win32 {

void Win32InfoBox::showInfo(const text::Gbk& message) {
    const std::wstring wide = platform::gbkToWideLossy(message.view());
    HWND owner = owner_ != nullptr ? owner_ : GetActiveWindow();
    MessageBoxW(owner, wide.c_str(), L"Ardentis", MB_OK);
}

bool Win32InfoBox::askYesNo(const text::Gbk& message) {
    const std::wstring wide = platform::gbkToWideLossy(message.view());
    HWND owner = owner_ != nullptr ? owner_ : GetActiveWindow();
    // No is the default: Enter alone must not trust a server.
    return MessageBoxW(owner, wide.c_str(), L"Ardentis",
                       MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

}  // namespace ardentis::win32
