#include <windows.h>

#include "ui/win32/tray_mark.h"

namespace ardentis::win32 {
namespace {

constexpr const wchar_t* kProperty = L"Ardentis.InTray";

}  // namespace

void markInTray(HWND window, bool inTray) {
    if (inTray) {
        SetPropW(window, kProperty, reinterpret_cast<HANDLE>(1));
    } else {
        RemovePropW(window, kProperty);
    }
}

bool inTray(HWND window) {
    return GetPropW(window, kProperty) != nullptr;
}

}  // namespace ardentis::win32
