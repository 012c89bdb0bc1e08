#include "controls/memory/memory_list_view.h"

namespace ardentis::forms {

text::Gbk MemoryListView::caption(int row) const {
    return valid(row) ? rows_[static_cast<std::size_t>(row)].caption : text::Gbk();
}

text::Gbk MemoryListView::subItem(int row, int subItem) const {
    if (!valid(row) || subItem < 1) {
        return {};
    }
    const auto& items = rows_[static_cast<std::size_t>(row)].subItems;
    const auto index = static_cast<std::size_t>(subItem - 1);
    return index < items.size() ? items[index] : text::Gbk();
}

int MemoryListView::insertRow(int at, const text::Gbk& caption,
                              const std::vector<text::Gbk>& subItems) {
    at = at < 0 || at > rowCount() ? rowCount() : at;
    rows_.insert(rows_.begin() + at, Row{caption, subItems});
    if (selected_ && *selected_ >= at) {
        ++*selected_;
    }
    return at;
}

void MemoryListView::setSubItem(int row, int subItem, const text::Gbk& value) {
    if (!valid(row) || subItem < 1) {
        return;
    }
    auto& items = rows_[static_cast<std::size_t>(row)].subItems;
    const auto index = static_cast<std::size_t>(subItem - 1);
    if (items.size() <= index) {
        items.resize(index + 1);
    }
    items[index] = value;
}

void MemoryListView::deleteRow(int row) {
    if (!valid(row)) {
        return;
    }
    rows_.erase(rows_.begin() + row);
    if (selected_) {
        if (*selected_ == row) {
            selected_.reset();
        } else if (*selected_ > row) {
            --*selected_;
        }
    }
}

void MemoryListView::clear() {
    rows_.clear();
    selected_.reset();
}

std::optional<int> MemoryListView::findCaption(const text::Gbk& caption) const {
    // Compared in place: the lobby looks rows up by caption for every user record.
    for (std::size_t row = 0; row < rows_.size(); ++row) {
        if (rows_[row].caption.view() == caption.view()) {
            return static_cast<int>(row);
        }
    }
    return std::nullopt;
}

void MemoryListView::click(std::optional<int> row) {
    selected_ = row && valid(*row) ? row : std::nullopt;
    onClick();
}

void MemoryListView::doubleClick(std::optional<int> row) {
    selected_ = row && valid(*row) ? row : std::nullopt;
    onDblClick();
}

}  // namespace ardentis::forms
