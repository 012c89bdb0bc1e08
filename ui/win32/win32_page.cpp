#include <windows.h>

#include <commctrl.h>

#include "ui/win32/win32_page.h"

#include <algorithm>
#include <string>

#include "ui/win32/window_text.h"

namespace ardentis::win32 {
namespace {

// A page's place among its tab control's pages, kept on the page window.
constexpr wchar_t kOrderProperty[] = L"ArdentisPageOrder";

int orderOf(HWND page) {
    return static_cast<int>(reinterpret_cast<INT_PTR>(GetPropW(page, kOrderProperty))) - 1;
}

}  // namespace

Win32Page::Win32Page(Win32TabControl& tabs, Dialog& page, int order, const text::Gbk& caption,
                     bool visible)
    : tabs_(tabs), page_(page.handle()) {
    SetPropW(page_, kOrderProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(order) + 1));
    setWindowText(page_, caption);
    ShowWindow(page_, SW_HIDE);
    if (visible) {
        setVisible(true);
    }
}

Win32Page::~Win32Page() {
    RemovePropW(page_, kOrderProperty);
}

bool Win32Page::visible() const {
    return tabs_.tabOf(page_) >= 0;
}

void Win32Page::setVisible(bool visible) {
    HWND tabs = tabs_.handle();
    const int tab = tabs_.tabOf(page_);
    if (visible == (tab >= 0)) {
        return;
    }
    if (visible) {
        int place = 0;
        while (place < tabs_.tabCount() && orderOf(tabs_.pageAt(place)) < orderOf(page_)) {
            ++place;
        }
        std::wstring caption = wideWindowText(page_);
        TCITEMW item{};
        item.mask = TCIF_TEXT | TCIF_PARAM;
        item.pszText = caption.data();
        item.lParam = reinterpret_cast<LPARAM>(page_);
        SendMessageW(tabs, TCM_INSERTITEMW, static_cast<WPARAM>(place),
                     reinterpret_cast<LPARAM>(&item));
        if (SendMessageW(tabs, TCM_GETCURSEL, 0, 0) < 0) {
            SendMessageW(tabs, TCM_SETCURSEL, static_cast<WPARAM>(place), 0);
        }
    } else {
        const bool wasSelected = SendMessageW(tabs, TCM_GETCURSEL, 0, 0) == tab;
        SendMessageW(tabs, TCM_DELETEITEM, static_cast<WPARAM>(tab), 0);
        ShowWindow(page_, SW_HIDE);
        if (wasSelected && tabs_.tabCount() > 0) {
            const int next = std::min(tab, tabs_.tabCount() - 1);
            SendMessageW(tabs, TCM_SETCURSEL, static_cast<WPARAM>(next), 0);
        }
    }
    tabs_.showSelected();
}

void Win32Page::activate() {
    const int tab = tabs_.tabOf(page_);
    if (tab < 0) {
        return;
    }
    SendMessageW(tabs_.handle(), TCM_SETCURSEL, static_cast<WPARAM>(tab), 0);
    tabs_.showSelected();
}

bool Win32Page::active() const {
    const int tab = tabs_.tabOf(page_);
    return tab >= 0 && SendMessageW(tabs_.handle(), TCM_GETCURSEL, 0, 0) == tab;
}

}  // namespace ardentis::win32
