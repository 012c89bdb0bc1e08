#pragma once

#include "controls/window.h"

namespace ardentis::forms {

class MemoryWindow final : public Window {
  public:
    explicit MemoryWindow(text::Gbk caption = {}) : caption_(std::move(caption)) {}

    [[nodiscard]] bool visible() const override { return visible_; }
    [[nodiscard]] text::Gbk caption() const override { return caption_; }
    void setCaption(const text::Gbk& caption) override { caption_ = caption; }
    [[nodiscard]] WindowSize size() const override { return size_; }
    void setSize(WindowSize size) override { size_ = size; }

  protected:
    void applyVisible(bool visible) override { visible_ = visible; }

  private:
    text::Gbk caption_;
    bool visible_ = false;
    WindowSize size_;
};

}  // namespace ardentis::forms
