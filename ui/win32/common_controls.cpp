#include <windows.h>

#include <commctrl.h>

#include "ui/win32/common_controls.h"

namespace ardentis::win32 {

bool initCommonControls() {
    INITCOMMONCONTROLSEX classes{};
    classes.dwSize = sizeof classes;
    classes.dwICC = ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES |
                    ICC_BAR_CLASSES | ICC_WIN95_CLASSES;
    // The rich edit class of the chat views; the module stays loaded for the program's life.
    static const HMODULE richEdit = LoadLibraryW(L"msftedit.dll");
    return InitCommonControlsEx(&classes) != FALSE && richEdit != nullptr;
}

}  // namespace ardentis::win32
