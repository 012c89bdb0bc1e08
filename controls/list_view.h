#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "controls/handler.h"
#include "text/gbk.h"

namespace ardentis::forms {

// A report-mode list: rows with a caption and sub-items. Programmatic changes run nothing;
// the user's clicks run onClick and onDblClick.
class ListView {
  public:
    virtual ~ListView() = default;

    [[nodiscard]] virtual int rowCount() const = 0;
    [[nodiscard]] virtual text::Gbk caption(int row) const = 0;
    // Sub-item 1 is the second column; a missing sub-item is empty.
    [[nodiscard]] virtual text::Gbk subItem(int row, int subItem) const = 0;
    int addRow(const text::Gbk& caption, const std::vector<text::Gbk>& subItems) {
        return insertRow(rowCount(), caption, subItems);
    }
    // Puts a row at `at` (0 to rowCount()); the rows from there move down, a selected one with
    // them. Returns the row.
    virtual int insertRow(int at, const text::Gbk& caption,
                          const std::vector<text::Gbk>& subItems) = 0;
    virtual void setSubItem(int row, int subItem, const text::Gbk& value) = 0;
    virtual void deleteRow(int row) = 0;
    virtual void clear() = 0;
    [[nodiscard]] virtual std::optional<int> selected() const = 0;
    // The program's choice of selection (none: nothing selected); runs nothing.
    virtual void setSelected(std::optional<int> row) = 0;
    // Marks the column the rows are ordered by, and which way; a column below 0 marks none.
    virtual void setSortMark(int column, bool descending) = 0;

    // The first row whose caption equals `caption`, searched from the start.
    [[nodiscard]] virtual std::optional<int> findCaption(const text::Gbk& caption) const {
        const int rows = rowCount();
        for (int row = 0; row < rows; ++row) {
            if (this->caption(row) == caption) {
                return row;
            }
        }
        return std::nullopt;
    }

    Handler onClick;
    Handler onDblClick;
    // The user's click on a column's header (0: the caption's column).
    std::function<void(int column)> onColumnClick;
};

}  // namespace ardentis::forms
