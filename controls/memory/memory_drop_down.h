#pragma once

#include <utility>
#include <vector>

#include "controls/drop_down.h"

namespace ardentis::forms {

class MemoryDropDown final : public DropDown {
  public:
    explicit MemoryDropDown(std::vector<text::Gbk> items = {}, int selected = -1)
        : items_(std::move(items)), index_(selected) {}

    [[nodiscard]] int count() const override { return static_cast<int>(items_.size()); }
    [[nodiscard]] text::Gbk item(int index) const override {
        return index >= 0 && index < count() ? items_[static_cast<std::size_t>(index)]
                                             : text::Gbk();
    }
    void addItem(const text::Gbk& item) override { items_.push_back(item); }
    void clear() override {
        items_.clear();
        index_ = -1;
    }
    [[nodiscard]] int itemIndex() const override { return index_; }
    void setItemIndex(int index) override { index_ = index >= 0 && index < count() ? index : -1; }
    [[nodiscard]] bool enabled() const override { return enabled_; }
    void setEnabled(bool enabled) override { enabled_ = enabled; }

    // The user picks an item from the list.
    bool choose(int index) {
        if (!enabled_ || index < 0 || index >= count()) {
            return false;
        }
        index_ = index;
        onChange();
        return true;
    }

  private:
    std::vector<text::Gbk> items_;
    int index_;
    bool enabled_ = true;
};

}  // namespace ardentis::forms
