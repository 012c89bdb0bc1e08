#pragma once

#include <utility>
#include <vector>

#include "controls/radio_group.h"

namespace ardentis::forms {

class MemoryRadioGroup final : public RadioGroup {
  public:
    MemoryRadioGroup(std::vector<text::Gbk> items, int selected)
        : items_(std::move(items)), index_(selected) {}

    [[nodiscard]] int count() const override { return static_cast<int>(items_.size()); }
    [[nodiscard]] text::Gbk item(int index) const override {
        return index >= 0 && index < count() ? items_[static_cast<std::size_t>(index)]
                                             : text::Gbk();
    }
    [[nodiscard]] int itemIndex() const override { return index_; }
    [[nodiscard]] bool enabled() const override { return enabled_; }
    void setEnabled(bool enabled) override { enabled_ = enabled; }

    // The user's click on an item.
    bool click(int index) {
        if (!enabled_) {
            return false;
        }
        setItemIndex(index);
        return true;
    }

  protected:
    void applyItemIndex(int index) override { index_ = index; }

  private:
    std::vector<text::Gbk> items_;
    int index_;
    bool enabled_ = true;
};

}  // namespace ardentis::forms
