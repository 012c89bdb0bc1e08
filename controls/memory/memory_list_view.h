#pragma once

#include <vector>

#include "controls/list_view.h"

namespace ardentis::forms {

class MemoryListView final : public ListView {
  public:
    [[nodiscard]] int rowCount() const override { return static_cast<int>(rows_.size()); }
    [[nodiscard]] text::Gbk caption(int row) const override;
    [[nodiscard]] text::Gbk subItem(int row, int subItem) const override;
    int insertRow(int at, const text::Gbk& caption,
                  const std::vector<text::Gbk>& subItems) override;
    void setSubItem(int row, int subItem, const text::Gbk& value) override;
    void deleteRow(int row) override;
    void clear() override;
    [[nodiscard]] std::optional<int> selected() const override { return selected_; }
    void setSelected(std::optional<int> row) override {
        selected_ = row && valid(*row) ? row : std::nullopt;
    }
    void setSortMark(int column, bool descending) override {
        sortMark_ = column < 0 ? -1 : (descending ? -(column + 2) : column);
    }
    // The marked column, counted from 0, negative and less one when descending; -1: none.
    [[nodiscard]] int sortMark() const { return sortMark_; }
    [[nodiscard]] std::optional<int> findCaption(const text::Gbk& caption) const override;

    // The user's single click on a row, or on the empty part of the list.
    void click(std::optional<int> row);
    // The user's double click: the row under the mouse becomes the selection.
    void doubleClick(std::optional<int> row);
    // The user's click on a column's header.
    void clickColumn(int column) {
        if (onColumnClick) {
            onColumnClick(column);
        }
    }

  private:
    struct Row {
        text::Gbk caption;
        std::vector<text::Gbk> subItems;
    };
    [[nodiscard]] bool valid(int row) const { return row >= 0 && row < rowCount(); }

    std::vector<Row> rows_;
    std::optional<int> selected_;
    int sortMark_ = -1;
};

}  // namespace ardentis::forms
