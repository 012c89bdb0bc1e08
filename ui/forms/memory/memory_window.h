#pragma once

#include "ui/forms/controls/window.h"

namespace ardentis::forms {

class MemoryWindow final : public Window {
  public:
    explicit MemoryWindow(text::Gbk caption = {}) : caption_(std::move(caption)) {}

    [[nodiscard]] bool visible() const override { return visible_; }
    [[nodiscard]] text::Gbk caption() const override { return caption_; }
    void setCaption(const text::Gbk& caption) override { caption_ = caption; }

  protected:
    void applyVisible(bool visible) override { visible_ = visible; }

  private:
    text::Gbk caption_;
    bool visible_ = false;
};

}  // namespace ardentis::forms
