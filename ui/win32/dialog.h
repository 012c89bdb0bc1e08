#pragma once

#include <climits>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>

#include "ui/win32/dialog_font.h"
#include "ui/win32/hwnd_fwd.h"

namespace ardentis::win32 {

// What a dialog routes to the control registered for an id. Any member may be empty.
struct ControlRoutes {
    // WM_COMMAND from the control: its notification code (HIWORD of wParam: BN_CLICKED,
    // EN_CHANGE, CBN_SELCHANGE, STN_CLICKED...).
    std::function<void(int code)> command = nullptr;
    // WM_NOTIFY from the control (NM_CLICK, NM_DBLCLK, TCN_SELCHANGE...); the receiver casts
    // the header to the notification's own structure.
    std::function<void(const tagNMHDR& header)> notify = nullptr;
    // WM_HSCROLL or WM_VSCROLL from the control (a trackbar): the code (LOWORD of wParam).
    std::function<void(int code)> scroll = nullptr;
};

// A dialog made from a DIALOGEX resource of this program, with one dialog procedure that
// routes by control id: WM_COMMAND (LOWORD id, HIWORD code), WM_NOTIFY (NMHDR idFrom) and
// WM_HSCROLL/WM_VSCROLL (the sending control's id) go to the routes registered for that id,
// and WM_CLOSE goes to the close route. A message without a route gets the default dialog
// handling. The procedure lets no exception into user32: it reports it (handler_failure.h).
//
// Contract for the windows built on it: make the Dialog first, then its wrappers, each
// given the Dialog and its control id (Win32Button ok{dialog, IDC_OK}); a wrapper registers
// its routes in its constructor and removes them in its destructor, so the Dialog must
// outlive its wrappers (declare it first in the struct that holds them). A tab page is a
// Dialog of its own, made with its parent Dialog; its controls register with the page.
class Dialog {
  public:
    // Removes its route when destroyed.
    class Registration {
      public:
        Registration() = default;
        Registration(Dialog& dialog, int key) : dialog_(&dialog), key_(key) {}
        Registration(Registration&& other) noexcept;
        Registration& operator=(Registration&& other) noexcept;
        Registration(const Registration&) = delete;
        Registration& operator=(const Registration&) = delete;
        ~Registration();

      private:
        Dialog* dialog_ = nullptr;
        int key_ = 0;
    };

    // A modeless top-level dialog from the template `templateId` (hidden unless the
    // template has WS_VISIBLE), owned by `owner` (none when null), with its own message font.
    // Throws std::runtime_error when the template cannot be made into a dialog.
    explicit Dialog(int templateId, HWND owner = nullptr);
    // A child dialog (a tab page: a DS_CONTROL | WS_CHILD template) inside `parent`, in the
    // parent's font.
    Dialog(int templateId, Dialog& parent);
    ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    [[nodiscard]] HWND handle() const noexcept { return window_; }
    [[nodiscard]] int templateId() const noexcept { return templateId_; }
    // The control with this id; throws std::invalid_argument when the dialog has none.
    [[nodiscard]] HWND item(int controlId) const;
    // The font of the top-level window, shared by its pages.
    [[nodiscard]] HFONT font() const noexcept;

    // Registers the routes of one control id; throws std::logic_error if it already has some.
    [[nodiscard]] Registration route(int controlId, ControlRoutes routes);
    // Registers what a close request from the system (WM_CLOSE) does; without it WM_CLOSE
    // gets the default dialog handling.
    [[nodiscard]] Registration routeClose(std::function<void()> onClose);

  private:
    friend class DialogProcedure;

    static constexpr int kCloseKey = INT_MIN;  // no control has this id

    bool handleMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
    bool routeCommand(int controlId, int code);
    bool routeNotify(const tagNMHDR& header);
    bool routeScroll(HWND control, int code);
    void changeDpi(unsigned dpi, const void* suggested);
    void unregister(int key) noexcept;
    void create(HWND parent);

    int templateId_;
    Dialog* parent_ = nullptr;  // for a page; not owned
    HWND window_ = nullptr;
    UniqueFont font_;  // top-level only; deleted after the window and its children
    std::unordered_map<int, ControlRoutes> routes_;
    std::function<void()> onClose_;
};

}  // namespace ardentis::win32
