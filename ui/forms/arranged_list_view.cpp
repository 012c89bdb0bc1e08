#include "ui/forms/arranged_list_view.h"

#include <algorithm>
#include <cstddef>
#include <string_view>
#include <utility>

namespace ardentis::forms {
namespace {

bool isDigit(char ch) {
    return ch >= '0' && ch <= '9';
}

}  // namespace

int compareNaturally(const text::Gbk& left, const text::Gbk& right) {
    const std::string_view a = left.view();
    const std::string_view b = right.view();
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            // Leading zeros aside, the longer run is the larger number.
            const std::size_t startA = i;
            const std::size_t startB = j;
            while (i < a.size() && isDigit(a[i])) {
                ++i;
            }
            while (j < b.size() && isDigit(b[j])) {
                ++j;
            }
            std::string_view runA = a.substr(startA, i - startA);
            std::string_view runB = b.substr(startB, j - startB);
            runA.remove_prefix(std::min(runA.find_first_not_of('0'), runA.size()));
            runB.remove_prefix(std::min(runB.find_first_not_of('0'), runB.size()));
            if (runA.size() != runB.size()) {
                return runA.size() < runB.size() ? -1 : 1;
            }
            if (const int order = runA.compare(runB); order != 0) {
                return order < 0 ? -1 : 1;
            }
            continue;
        }
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[j]);
        if (x != y) {
            return x < y ? -1 : 1;
        }
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size()) {
        return i < a.size() ? 1 : -1;
    }
    return 0;
}

const text::Gbk& ArrangedListView::Row::column(int index) const {
    static const text::Gbk kEmpty;
    if (index <= 0) {
        return caption;
    }
    const auto at = static_cast<std::size_t>(index - 1);
    return at < subItems.size() ? subItems[at] : kEmpty;
}

ArrangedListView::ArrangedListView(ListView& shown) : shown_(shown) {
    shown_.onClick.set([this] { onClick(); });
    shown_.onDblClick.set([this] { onDblClick(); });
    shown_.onColumnClick = [this](int column) {
        if (onColumnClick) {
            onColumnClick(column);
        }
    };
}

text::Gbk ArrangedListView::caption(int row) const {
    return row >= 0 && row < rowCount() ? rows_[static_cast<std::size_t>(row)].row.caption
                                        : text::Gbk();
}

text::Gbk ArrangedListView::subItem(int row, int subItem) const {
    return row >= 0 && row < rowCount() && subItem >= 1
               ? rows_[static_cast<std::size_t>(row)].row.column(subItem)
               : text::Gbk();
}

int ArrangedListView::insertRow(int at, const text::Gbk& caption,
                                const std::vector<text::Gbk>& subItems) {
    at = at < 0 || at > rowCount() ? rowCount() : at;
    rows_.insert(rows_.begin() + at, Entry{Row{caption, subItems}, arrivals_++});
    for (int& row : order_) {
        row += row >= at ? 1 : 0;
    }
    if (passes(at)) {
        show(at);
    }
    if (onRowAdded) {
        onRowAdded(at);
    }
    return at;
}

void ArrangedListView::setSubItem(int row, int subItem, const text::Gbk& value) {
    if (row < 0 || row >= rowCount() || subItem < 1) {
        return;
    }
    auto& items = rows_[static_cast<std::size_t>(row)].row.subItems;
    const auto index = static_cast<std::size_t>(subItem - 1);
    if (items.size() <= index) {
        items.resize(index + 1);
    }
    if (items[index] == value) {
        return;
    }
    items[index] = value;
    const std::optional<int> at = shownRow(row);
    if (!passes(row)) {
        if (at) {
            unshow(*at);
        }
        return;
    }
    if (!at) {
        show(row);
        return;
    }
    // Still between its neighbours: the cell alone changes.
    const bool afterPrevious = *at == 0 || !before(row, order_[static_cast<std::size_t>(*at - 1)]);
    const bool beforeNext = *at + 1 == static_cast<int>(order_.size()) ||
                            !before(order_[static_cast<std::size_t>(*at) + 1], row);
    if (afterPrevious && beforeNext) {
        shown_.setSubItem(*at, subItem, value);
        return;
    }
    const bool wasSelected = shown_.selected() == at;
    unshow(*at);
    show(row);
    if (wasSelected) {
        shown_.setSelected(shownRow(row));
    }
}

void ArrangedListView::deleteRow(int row) {
    if (row < 0 || row >= rowCount()) {
        return;
    }
    if (const auto at = shownRow(row)) {
        unshow(*at);
    }
    rows_.erase(rows_.begin() + row);
    for (int& shownModelRow : order_) {
        shownModelRow -= shownModelRow > row ? 1 : 0;
    }
}

void ArrangedListView::clear() {
    rows_.clear();
    order_.clear();
    shown_.clear();
}

std::optional<int> ArrangedListView::selected() const {
    const auto at = shown_.selected();
    return at && *at < static_cast<int>(order_.size()) ? std::optional(modelRow(*at))
                                                       : std::nullopt;
}

void ArrangedListView::setSelected(std::optional<int> row) {
    shown_.setSelected(row ? shownRow(*row) : std::nullopt);
}

std::optional<int> ArrangedListView::findCaption(const text::Gbk& caption) const {
    for (std::size_t row = 0; row < rows_.size(); ++row) {
        if (rows_[row].row.caption.view() == caption.view()) {
            return static_cast<int>(row);
        }
    }
    return std::nullopt;
}

void ArrangedListView::arrange(int column, bool descending, Filter filter) {
    const std::optional<int> selectedRow = selected();
    column_ = column;
    descending_ = descending;
    filter_ = std::move(filter);
    order_.clear();
    for (int row = 0; row < rowCount(); ++row) {
        if (passes(row)) {
            order_.push_back(row);
        }
    }
    // Ties are broken by arrival, so the order is total and a plain sort is stable enough.
    std::ranges::sort(order_, [this](int left, int right) { return before(left, right); });
    shown_.clear();
    for (const int row : order_) {
        const Row& shownRow = rows_[static_cast<std::size_t>(row)].row;
        shown_.addRow(shownRow.caption, shownRow.subItems);
    }
    shown_.setSortMark(column_, descending_);
    if (selectedRow) {
        setSelected(selectedRow);
    }
}

int ArrangedListView::modelRow(int shownRow) const {
    return shownRow >= 0 && shownRow < static_cast<int>(order_.size())
               ? order_[static_cast<std::size_t>(shownRow)]
               : -1;
}

std::optional<int> ArrangedListView::shownRow(int modelRow) const {
    const auto at = std::ranges::find(order_, modelRow);
    return at == order_.end() ? std::nullopt : std::optional(static_cast<int>(at - order_.begin()));
}

bool ArrangedListView::before(int left, int right) const {
    const Entry& a = rows_[static_cast<std::size_t>(left)];
    const Entry& b = rows_[static_cast<std::size_t>(right)];
    if (column_ >= 0) {
        const int order = compareNaturally(a.row.column(column_), b.row.column(column_));
        if (order != 0) {
            return descending_ ? order > 0 : order < 0;
        }
    }
    return column_ >= 0 ? a.arrival < b.arrival : left < right;
}

bool ArrangedListView::passes(int row) const {
    return !filter_ || filter_(rows_[static_cast<std::size_t>(row)].row);
}

int ArrangedListView::placeFor(int row) const {
    const auto at = std::ranges::partition_point(
        order_, [&](int shownModelRow) { return before(shownModelRow, row); });
    return static_cast<int>(at - order_.begin());
}

void ArrangedListView::show(int row) {
    const int at = placeFor(row);
    order_.insert(order_.begin() + at, row);
    const Row& added = rows_[static_cast<std::size_t>(row)].row;
    shown_.insertRow(at, added.caption, added.subItems);
}

void ArrangedListView::unshow(int shownAt) {
    order_.erase(order_.begin() + shownAt);
    shown_.deleteRow(shownAt);
}

}  // namespace ardentis::forms
