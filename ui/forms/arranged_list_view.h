#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "controls/list_view.h"
#include "text/gbk.h"

namespace ardentis::forms {

// The rows as a model writes them, shown through another list in the order and with the
// filter the user chose. The model sees only its own rows, by their own indexes; the user's
// selection, clicks and double clicks arrive translated. A row that changes moves to where
// the order puts it (rows that compare equal keep the order they came in), and the selected
// row stays selected wherever it goes.
class ArrangedListView final : public ListView {
  public:
    struct Row {
        text::Gbk caption;
        std::vector<text::Gbk> subItems;
        [[nodiscard]] const text::Gbk& column(int index) const;
    };
    using Filter = std::function<bool(const Row&)>;

    explicit ArrangedListView(ListView& shown);

    [[nodiscard]] int rowCount() const override { return static_cast<int>(rows_.size()); }
    [[nodiscard]] text::Gbk caption(int row) const override;
    [[nodiscard]] text::Gbk subItem(int row, int subItem) const override;
    int insertRow(int at, const text::Gbk& caption,
                  const std::vector<text::Gbk>& subItems) override;
    void setSubItem(int row, int subItem, const text::Gbk& value) override;
    void deleteRow(int row) override;
    void clear() override;
    [[nodiscard]] std::optional<int> selected() const override;
    void setSelected(std::optional<int> row) override;
    void setSortMark(int column, bool descending) override {
        shown_.setSortMark(column, descending);
    }
    [[nodiscard]] std::optional<int> findCaption(const text::Gbk& caption) const override;

    // Orders by a column (below 0: the model's own order) and keeps the rows the filter
    // passes (none: all); shows the whole list again.
    void arrange(int column, bool descending, Filter filter);
    [[nodiscard]] int sortColumn() const noexcept { return column_; }
    [[nodiscard]] bool descending() const noexcept { return descending_; }
    // The model row shown at a row of the list, and the reverse (none when filtered out).
    [[nodiscard]] int modelRow(int shownRow) const;
    [[nodiscard]] std::optional<int> shownRow(int modelRow) const;

    // A row the model added, once it is in place.
    std::function<void(int row)> onRowAdded;

  private:
    struct Entry {
        Row row;
        std::uint64_t arrival;  // breaks ties, so that equal rows keep their order
    };
    [[nodiscard]] bool before(int left, int right) const;
    [[nodiscard]] bool passes(int row) const;
    // Where the model row belongs among the shown rows.
    [[nodiscard]] int placeFor(int row) const;
    void show(int row);
    void unshow(int shownAt);

    ListView& shown_;
    std::vector<Entry> rows_;
    std::vector<int> order_;  // model rows, in the order shown
    std::uint64_t arrivals_ = 0;
    int column_ = -1;
    bool descending_ = false;
    Filter filter_;
};

// Texts compared as a user reads them: runs of digits by their value ("9/10" before
// "10/10"), everything else byte by byte.
[[nodiscard]] int compareNaturally(const text::Gbk& left, const text::Gbk& right);

}  // namespace ardentis::forms
