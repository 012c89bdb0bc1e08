#pragma once

#include <climits>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "controls/list_view.h"
#include "ui/win32/dialog.h"

namespace ardentis::win32 {

struct ListColumn {
    text::Gbk caption;
    int width = 0;  // in dialog units
};

// A report-mode SysListView32 with whole-row selection and the given columns (added here;
// the resource gives none). Row captions are the items' texts, sub-item n the text of
// column n. The control shows them in UTF-16, but they are read back and found by the bytes
// they were given, kept beside the rows: a room number that is not valid GBK must still
// match its row. The user's click (NM_CLICK) and double click (NM_DBLCLK) first make the row
// under the mouse the selection (none on the empty part), as in memory, then run onClick
// or onDblClick; a click on a column's header runs onColumnClick; programmatic changes run
// nothing. The resource should carry
// LVS_SINGLESEL and LVS_SHOWSELALWAYS.
//
// Painting waits for a burst of rows coming and going: while its redrawing is on, Wine's list
// view updates its scroll bars on every insert and delete (painting them at once when shown)
// and invalidates on every text set, milliseconds per row for a busy room list. The first row
// to come or go turns the control's redrawing off and a short timer of the control's own turns
// it back on, which repaints the list once. The rows, their texts and the selection change at
// once all the same; only the picture is up to that timer's delay late.
class Win32ListView final : public forms::ListView {
  public:
    Win32ListView(Dialog& dialog, int controlId, std::span<const ListColumn> columns);
    Win32ListView(const Win32ListView&) = delete;
    Win32ListView& operator=(const Win32ListView&) = delete;
    ~Win32ListView() override;

    [[nodiscard]] int rowCount() const override;
    [[nodiscard]] text::Gbk caption(int row) const override;
    [[nodiscard]] text::Gbk subItem(int row, int subItem) const override;
    int insertRow(int at, const text::Gbk& caption,
                  const std::vector<text::Gbk>& subItems) override;
    void setSubItem(int row, int subItem, const text::Gbk& value) override;
    void deleteRow(int row) override;
    void clear() override;
    [[nodiscard]] std::optional<int> selected() const override;
    void setSelected(std::optional<int> row) override { select(row.value_or(-1)); }
    void setSortMark(int column, bool descending) override;
    [[nodiscard]] std::optional<int> findCaption(const text::Gbk& caption) const override;

    [[nodiscard]] int columnCount() const;
    [[nodiscard]] text::Gbk columnCaption(int column) const;
    [[nodiscard]] HWND handle() const noexcept { return control_; }

  private:
    friend class ListRedraw;  // the timer's procedure

    struct Row {
        text::Gbk caption;
        std::vector<text::Gbk> subItems;
    };

    void handleNotify(const tagNMHDR& header);
    void setCellText(int row, int column, const text::Gbk& value);
    void select(int row);
    // Before a row comes or goes: painting waits from here until the timer.
    void holdRedraw(int changedRow);
    void resumeRedraw() noexcept;
    // Leaves the rows above `row` as they are painted.
    void keepRowsAbove(int row) noexcept;
    // Which part of the rows the control shows, and how large.
    struct View {
        int top = 0;
        int left = 0;
        int width = 0;
        int height = 0;
        bool operator==(const View&) const = default;
    };
    [[nodiscard]] View view() const noexcept;
    // The list's own address: no other timer of the control can have it.
    [[nodiscard]] std::uintptr_t timerId() const noexcept {
        return reinterpret_cast<std::uintptr_t>(this);
    }
    [[nodiscard]] bool valid(int row) const noexcept {
        return row >= 0 && static_cast<std::size_t>(row) < rows_.size();
    }

    HWND control_;
    Dialog::Registration registration_;
    std::vector<Row> rows_;  // in step with the control's items, row for row
    static constexpr int kNoRow = INT_MAX;

    bool redrawHeld_ = false;  // the control's redrawing is off and the timer runs
    bool shownWhenHeld_ = false;
    View viewWhenHeld_;
    bool frameHidden_ = false;   // turning redrawing off hid the frame's drawing too
    int firstChanged_ = kNoRow;  // the first row changed while redrawing is held
};

}  // namespace ardentis::win32
