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

}  // namespace ardentis::win32
