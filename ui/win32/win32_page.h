#pragma once

#include "controls/page.h"
#include "text/gbk.h"
#include "ui/win32/dialog.h"
#include "ui/win32/win32_tab_control.h"

namespace ardentis::win32 {

// A tab page: a child dialog (`page`, made from a DS_CONTROL | WS_CHILD template with the tab
// control's dialog as its parent) laid over the tab control's display area. Visible means
// its tab is there: hiding removes the tab item, showing puts it back at its place among
// the pages by `order` (0 first). The caption is kept as the page window's text. When the
// selected tab goes, the tab that takes its place (or the one before) is selected.
class Win32Page final : public forms::Page {
  public:
    Win32Page(Win32TabControl& tabs, Dialog& page, int order, const text::Gbk& caption,
              bool visible = true);
    ~Win32Page() override;
    Win32Page(const Win32Page&) = delete;
    Win32Page& operator=(const Win32Page&) = delete;

    [[nodiscard]] bool visible() const override;
    void setVisible(bool visible) override;
    // Selects this page's tab and shows the page; nothing when its tab is hidden.
    void activate() override;
    [[nodiscard]] bool active() const override;

    [[nodiscard]] HWND handle() const noexcept { return page_; }

  private:
    Win32TabControl& tabs_;
    HWND page_;
};

}  // namespace ardentis::win32
