#include <windows.h>

#include "ui/win32/win32_info_box.h"

#include <string>

#include "platform/win32/wide_text.h"
#include "text/shown.h"

namespace ardentis::win32 {
namespace {

// The boxes' title: the program's name, as the chosen language writes it.
std::wstring title() {
    return platform::gbkToWideLossy(text::shown<"Ardentis">().view());
}

}  // namespace

void Win32InfoBox::showInfo(const text::Gbk& message) {
    const std::wstring wide = platform::gbkToWideLossy(message.view());
    HWND owner = owner_ != nullptr ? owner_ : GetActiveWindow();
    MessageBoxW(owner, wide.c_str(), title().c_str(), MB_OK);
}

bool Win32InfoBox::askYesNo(const text::Gbk& message) {
    const std::wstring wide = platform::gbkToWideLossy(message.view());
    HWND owner = owner_ != nullptr ? owner_ : GetActiveWindow();
    // No is the default: Enter alone must not trust a server.
    return MessageBoxW(owner, wide.c_str(), title().c_str(),
                       MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

}  // namespace ardentis::win32
