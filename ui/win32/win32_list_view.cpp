#include <windows.h>

#include <commctrl.h>

#include "ui/win32/win32_list_view.h"

#include <dwmapi.h>

#include <algorithm>
#include <string>

#include "platform/win32/wide_text.h"

namespace ardentis::win32 {
namespace {

// How late the picture may be after rows came and went: short enough to look immediate, long
// enough to cover a burst of room changes with one repaint.
constexpr UINT kRedrawDelayMs = 50;

// Whether windows keep what they drew when something that covered them goes away: a composed
// desktop (Windows 8 on, Vista and 7 with Aero) or Wine, whose windows draw on surfaces of
// their own whatever Windows version it reports. Then the rows a repaint leaves alone are still
// shown as they were.
bool drawingKept() {
    static const bool wine =
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    BOOL composed = FALSE;
    return wine || (SUCCEEDED(DwmIsCompositionEnabled(&composed)) && composed != FALSE);
}

// Whether the control is on screen: shown, in a window that is not minimised.
bool shownOnScreen(HWND control) {
    return IsWindowVisible(control) != FALSE && IsIconic(GetAncestor(control, GA_ROOT)) == FALSE;
}

}  // namespace

// The timer's procedure, not a subclass of the control: under Wine a subclassed window pays
// two window-property look-ups in the server for every message it gets, about a tenth of a
// millisecond each, and a room list gets several messages per row.
class ListRedraw {
  public:
    static void CALLBACK timer(HWND /*window*/, UINT /*message*/, UINT_PTR id, DWORD /*time*/) {
        // The id is the list: the timer is the list's own and dies with it.
        reinterpret_cast<Win32ListView*>(id)->resumeRedraw();
    }
};

Win32ListView::Win32ListView(Dialog& dialog, int controlId, std::span<const ListColumn> columns)
    : control_(dialog.item(controlId)),
      registration_(dialog.route(
          controlId, {.notify = [this](const NMHDR& header) { handleNotify(header); }})) {
    const LONG_PTR style = GetWindowLongPtrW(control_, GWL_STYLE);
    SetWindowLongPtrW(control_, GWL_STYLE, (style & ~LONG_PTR{LVS_TYPEMASK}) | LVS_REPORT);
    const DWORD extended = LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER;
    SendMessageW(control_, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
    int index = 0;
    for (const ListColumn& column : columns) {
        RECT width{0, 0, column.width, 0};
        MapDialogRect(dialog.handle(), &width);
        std::wstring caption = platform::gbkToWideLossy(column.caption.view());
        LVCOLUMNW added{};
        added.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        added.cx = width.right;
        added.pszText = caption.data();
        added.iSubItem = index;
        SendMessageW(control_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(&added));
        ++index;
    }
}

Win32ListView::~Win32ListView() {
    resumeRedraw();
}

int Win32ListView::rowCount() const {
    return static_cast<int>(rows_.size());
}

text::Gbk Win32ListView::caption(int row) const {
    return valid(row) ? rows_[static_cast<std::size_t>(row)].caption : text::Gbk();
}

text::Gbk Win32ListView::subItem(int row, int subItem) const {
    if (!valid(row) || subItem < 1) {
        return {};
    }
    const auto& items = rows_[static_cast<std::size_t>(row)].subItems;
    const auto index = static_cast<std::size_t>(subItem - 1);
    return index < items.size() ? items[index] : text::Gbk();
}

int Win32ListView::insertRow(int at, const text::Gbk& caption,
                             const std::vector<text::Gbk>& subItems) {
    std::wstring wide = platform::gbkToWideLossy(caption.view());
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = at < 0 || at > rowCount() ? rowCount() : at;
    item.pszText = wide.data();
    holdRedraw(item.iItem);
    const int row = static_cast<int>(
        SendMessageW(control_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    if (row < 0) {
        return row;
    }
    rows_.insert(rows_.begin() + row, Row{caption, {}});
    for (std::size_t index = 0; index < subItems.size(); ++index) {
        setCellText(row, static_cast<int>(index) + 1, subItems[index]);
    }
    return row;
}

void Win32ListView::setSubItem(int row, int subItem, const text::Gbk& value) {
    if (subItem >= 1) {
        setCellText(row, subItem, value);
    }
}

void Win32ListView::deleteRow(int row) {
    if (valid(row)) {
        holdRedraw(row);
        SendMessageW(control_, LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
        rows_.erase(rows_.begin() + row);
    }
}

void Win32ListView::clear() {
    holdRedraw(0);
    SendMessageW(control_, LVM_DELETEALLITEMS, 0, 0);
    rows_.clear();
}

std::optional<int> Win32ListView::selected() const {
    const auto row = static_cast<int>(
        SendMessageW(control_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    return row < 0 ? std::nullopt : std::optional<int>(row);
}

std::optional<int> Win32ListView::findCaption(const text::Gbk& caption) const {
    // Byte for byte: the control's own search would compare lossy UTF-16, ignoring case.
    for (std::size_t row = 0; row < rows_.size(); ++row) {
        if (rows_[row].caption.view() == caption.view()) {
            return static_cast<int>(row);
        }
    }
    return std::nullopt;
}

int Win32ListView::columnCount() const {
    HWND header = reinterpret_cast<HWND>(SendMessageW(control_, LVM_GETHEADER, 0, 0));
    return static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
}

text::Gbk Win32ListView::columnCaption(int column) const {
    std::wstring wide(256, L'\0');
    LVCOLUMNW read{};
    read.mask = LVCF_TEXT;
    read.pszText = wide.data();
    read.cchTextMax = static_cast<int>(wide.size());
    if (SendMessageW(control_, LVM_GETCOLUMNW, static_cast<WPARAM>(column),
                     reinterpret_cast<LPARAM>(&read)) == FALSE) {
        return {};
    }
    wide.resize(wide.find(L'\0'));
    return platform::wideToGbkLossy(wide);
}

void Win32ListView::setSortMark(int column, bool descending) {
    HWND header = reinterpret_cast<HWND>(SendMessageW(control_, LVM_GETHEADER, 0, 0));
    const int columns = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    for (int index = 0; index < columns; ++index) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(&item));
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (index == column) {
            item.fmt |= descending ? HDF_SORTDOWN : HDF_SORTUP;
        }
        SendMessageW(header, HDM_SETITEMW, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(&item));
    }
}

void Win32ListView::handleNotify(const NMHDR& header) {
    if (header.code == static_cast<UINT>(LVN_COLUMNCLICK)) {
        if (onColumnClick) {
            onColumnClick(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
        }
        return;
    }
    if (header.code != static_cast<UINT>(NM_CLICK) && header.code != static_cast<UINT>(NM_DBLCLK)) {
        return;
    }
    select(reinterpret_cast<const NMITEMACTIVATE&>(header).iItem);
    if (header.code == static_cast<UINT>(NM_CLICK)) {
        onClick();
    } else {
        onDblClick();
    }
}

void Win32ListView::setCellText(int row, int column, const text::Gbk& value) {
    if (!valid(row)) {
        return;
    }
    auto& items = rows_[static_cast<std::size_t>(row)].subItems;
    const auto index = static_cast<std::size_t>(column - 1);
    if (items.size() <= index) {
        items.resize(index + 1);
    }
    items[index] = value;
    if (redrawHeld_) {
        firstChanged_ = std::min(firstChanged_, row);  // the control does not mark it now
    }
    std::wstring wide = platform::gbkToWideLossy(value.view());
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = wide.data();
    SendMessageW(control_, LVM_SETITEMTEXTW, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&item));
}

void Win32ListView::select(int row) {
    if (redrawHeld_) {
        firstChanged_ = 0;  // the row losing the selection may be anywhere
    }
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    if (row < 0 || row >= rowCount()) {
        state.state = 0;
        SendMessageW(control_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(&state));
        return;
    }
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(control_, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&state));
}

void Win32ListView::holdRedraw(int changedRow) {
    // Held on a hidden dialog's list too: Wine's list view updates its scroll bars and
    // invalidates whenever redrawing is on, shown or not.
    if (redrawHeld_) {
        firstChanged_ = std::min(firstChanged_, changedRow);
        return;
    }
    // A control hidden itself is left alone: on Windows turning its redrawing back on would
    // show it. Without the timer nothing would turn redrawing back on.
    if ((GetWindowLongPtrW(control_, GWL_STYLE) & WS_VISIBLE) == 0 ||
        SetTimer(control_, timerId(), kRedrawDelayMs, &ListRedraw::timer) == 0) {
        return;
    }
    SendMessageW(control_, WM_SETREDRAW, FALSE, 0);
    // Windows' default handling hides the window's drawing by clearing WS_VISIBLE, so scroll
    // bars changed meanwhile are not drawn; Wine's list view keeps drawing them itself.
    frameHidden_ = (GetWindowLongPtrW(control_, GWL_STYLE) & WS_VISIBLE) == 0;
    redrawHeld_ = true;
    shownWhenHeld_ = shownOnScreen(control_);
    viewWhenHeld_ = view();
    firstChanged_ = changedRow;
}

void Win32ListView::resumeRedraw() noexcept {
    if (!redrawHeld_) {
        return;
    }
    redrawHeld_ = false;
    KillTimer(control_, timerId());
    const bool viewKept = view() == viewWhenHeld_;
    SendMessageW(control_, WM_SETREDRAW, TRUE, 0);
    // Windows' list view leaves the repaint to the caller. The frame (its scroll bars) only
    // where it was hidden: under Wine repainting it costs some 20 ms each time.
    RedrawWindow(control_, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | (frameHidden_ ? RDW_FRAME : 0U));
    // Repainting the whole list costs tens of milliseconds under Wine; the rows above the
    // first one changed are as they were, where they were, unless the list scrolled or changed
    // size meanwhile or now, or was not on screen all along (then what it painted meanwhile was
    // only erased).
    // Where windows do not keep their drawing, a part uncovered meanwhile was left to the
    // parent to paint, so all of it is painted again.
    if (shownWhenHeld_ && shownOnScreen(control_) && viewKept && view() == viewWhenHeld_ &&
        drawingKept()) {
        keepRowsAbove(firstChanged_);
    }
    firstChanged_ = kNoRow;
}

Win32ListView::View Win32ListView::view() const noexcept {
    RECT client{};
    GetClientRect(control_, &client);
    return {.top = ListView_GetTopIndex(control_),
            .left = GetScrollPos(control_, SB_HORZ),
            .width = static_cast<int>(client.right),
            .height = static_cast<int>(client.bottom)};
}

void Win32ListView::keepRowsAbove(int row) noexcept {
    const int top = ListView_GetTopIndex(control_);
    RECT first{};
    if (row <= top || ListView_GetItemRect(control_, top, &first, LVIR_BOUNDS) == FALSE) {
        return;
    }
    RECT above{};
    GetClientRect(control_, &above);
    // Rows more than a client's height of pixels down are below the list anyway.
    const LONG rows = std::min<LONG>(row - top, above.bottom);
    above.bottom = std::min(above.bottom, first.top + (rows * (first.bottom - first.top)));
    ValidateRect(control_, &above);
}

}  // namespace ardentis::win32
