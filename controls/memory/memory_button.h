#pragma once

#include "controls/button.h"

namespace ardentis::forms {

class MemoryButton final : public Button {
  public:
    explicit MemoryButton(text::Gbk caption = {}, bool enabled = true)
        : caption_(std::move(caption)), enabled_(enabled) {}

    [[nodiscard]] text::Gbk caption() const override { return caption_; }
    void setCaption(const text::Gbk& caption) override { caption_ = caption; }
    [[nodiscard]] bool enabled() const override { return enabled_; }
    void setEnabled(bool enabled) override { enabled_ = enabled; }
    [[nodiscard]] bool visible() const override { return visible_; }
    void setVisible(bool visible) override { visible_ = visible; }

    // The user's click: a disabled or hidden button takes none.
    bool click() {
        if (!enabled_ || !visible_) {
            return false;
        }
        onClick();
        return true;
    }

  private:
    text::Gbk caption_;
    bool enabled_;
    bool visible_ = true;
};

}  // namespace ardentis::forms
