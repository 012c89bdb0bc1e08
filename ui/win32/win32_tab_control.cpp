#include <windows.h>

#include <commctrl.h>

#include "ui/win32/win32_tab_control.h"

namespace ardentis::win32 {
namespace {

// Lays the page over the tab control's display area, just above the control. Done at each
// showing, since the tabs' height changes with their font and their rows.
void placeOver(HWND tabs, HWND page) {
    RECT area{};
    GetClientRect(tabs, &area);
    SendMessageW(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    MapWindowPoints(tabs, GetParent(page), reinterpret_cast<POINT*>(&area), 2);
    HWND above = GetWindow(tabs, GW_HWNDPREV);
    const UINT keepOrder = above == page ? SWP_NOZORDER : 0;
    SetWindowPos(page, above != nullptr ? above : HWND_TOP, area.left, area.top,
                 area.right - area.left, area.bottom - area.top, SWP_NOACTIVATE | keepOrder);
}

}  // namespace

Win32TabControl::Win32TabControl(Dialog& dialog, int controlId)
    : control_(dialog.item(controlId)),
      registration_(dialog.route(controlId, {.notify = [this](const NMHDR& header) {
                                     if (header.code == static_cast<UINT>(TCN_SELCHANGE)) {
                                         showSelected();
                                     }
                                 }})) {
    // The tab control must not paint over the pages that lie on it.
    SetWindowLongPtrW(control_, GWL_STYLE,
                      GetWindowLongPtrW(control_, GWL_STYLE) | WS_CLIPSIBLINGS);
}

int Win32TabControl::tabCount() const {
    return static_cast<int>(SendMessageW(control_, TCM_GETITEMCOUNT, 0, 0));
}

HWND Win32TabControl::pageAt(int index) const {
    TCITEMW item{};
    item.mask = TCIF_PARAM;
    if (index < 0 || SendMessageW(control_, TCM_GETITEMW, static_cast<WPARAM>(index),
                                  reinterpret_cast<LPARAM>(&item)) == FALSE) {
        return nullptr;
    }
    return reinterpret_cast<HWND>(item.lParam);
}

int Win32TabControl::tabOf(HWND page) const {
    const int tabs = tabCount();
    for (int index = 0; index < tabs; ++index) {
        if (pageAt(index) == page) {
            return index;
        }
    }
    return -1;
}

void Win32TabControl::showSelected() const {
    const auto selected = static_cast<int>(SendMessageW(control_, TCM_GETCURSEL, 0, 0));
    HWND shown = pageAt(selected);
    const int tabs = tabCount();
    for (int index = 0; index < tabs; ++index) {
        if (HWND page = pageAt(index); page != shown) {
            ShowWindow(page, SW_HIDE);
        }
    }
    if (shown != nullptr) {
        placeOver(control_, shown);
        ShowWindow(shown, SW_SHOW);
    }
}

}  // namespace ardentis::win32
