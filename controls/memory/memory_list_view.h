#pragma once

#include <vector>

#include "controls/list_view.h"

namespace ardentis::forms {

class MemoryListView final : public ListView {
  public:
    [[nodiscard]] int rowCount() const override { return static_cast<int>(rows_.size()); }
    [[nodiscard]] text::Gbk caption(int row) const override;
    [[nodiscard]] text::Gbk subItem(int row, int subItem) const override;
    int addRow(const text::Gbk& caption, const std::vector<text::Gbk>& subItems) override;
    void setSubItem(int row, int subItem, const text::Gbk& value) override;
    void deleteRow(int row) override;
    void clear() override;
    [[nodiscard]] std::optional<int> selected() const override { return selected_; }
    [[nodiscard]] std::optional<int> findCaption(const text::Gbk& caption) const override;

    // The user's single click on a row, or on the empty part of the list.
    void click(std::optional<int> row);
    // The user's double click: the row under the mouse becomes the selection.
    void doubleClick(std::optional<int> row);

  private:
    struct Row {
        text::Gbk caption;
        std::vector<text::Gbk> subItems;
    };
    [[nodiscard]] bool valid(int row) const { return row >= 0 && row < rowCount(); }

    std::vector<Row> rows_;
    std::optional<int> selected_;
};

}  // namespace ardentis::forms
