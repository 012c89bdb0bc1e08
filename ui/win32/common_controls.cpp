#include <windows.h>

#include <commctrl.h>

#include "ui/win32/common_controls.h"

namespace ardentis::win32 {

bool initCommonControls() {
    INITCOMMONCONTROLSEX classes{};
    classes.dwSize = sizeof classes;
    classes.dwICC = ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES |
                    ICC_BAR_CLASSES | ICC_WIN95_CLASSES;
    return InitCommonControlsEx(&classes) != FALSE;
}

}  // namespace ardentis::win32
