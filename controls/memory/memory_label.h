#pragma once

#include "controls/label.h"

namespace ardentis::forms {

class MemoryLabel final : public Label {
  public:
    explicit MemoryLabel(text::Gbk caption = {}) : caption_(std::move(caption)) {}

    [[nodiscard]] text::Gbk caption() const override { return caption_; }
    void setCaption(const text::Gbk& caption) override { caption_ = caption; }

  private:
    text::Gbk caption_;
};

}  // namespace ardentis::forms
