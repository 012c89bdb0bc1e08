#pragma once

#include "controls/check_box.h"

namespace ardentis::forms {

class MemoryCheckBox final : public CheckBox {
  public:
    explicit MemoryCheckBox(text::Gbk caption = {}) : caption_(std::move(caption)) {}

    [[nodiscard]] bool checked() const override { return checked_; }
    [[nodiscard]] bool enabled() const override { return enabled_; }
    void setEnabled(bool enabled) override { enabled_ = enabled; }
    [[nodiscard]] bool visible() const override { return visible_; }
    void setVisible(bool visible) override { visible_ = visible; }
    [[nodiscard]] const text::Gbk& caption() const { return caption_; }

    // The user's click toggles the mark.
    bool click() {
        if (!enabled_ || !visible_) {
            return false;
        }
        setChecked(!checked_);
        return true;
    }

  protected:
    void applyChecked(bool checked) override { checked_ = checked; }

  private:
    text::Gbk caption_;
    bool checked_ = false;
    bool enabled_ = true;
    bool visible_ = true;
};

}  // namespace ardentis::forms
