#pragma once

#include "controls/edit.h"

namespace ardentis::forms {

class MemoryEdit final : public Edit {
  public:
    explicit MemoryEdit(text::Gbk text = {}) : text_(std::move(text)) {}

    [[nodiscard]] text::Gbk text() const override { return text_; }
    [[nodiscard]] bool enabled() const override { return enabled_; }
    void setEnabled(bool enabled) override { enabled_ = enabled; }

    // The user replaces the text by typing.
    bool type(const text::Gbk& text) {
        if (!enabled_) {
            return false;
        }
        setText(text);
        return true;
    }

  protected:
    void applyText(const text::Gbk& text) override { text_ = text; }

  private:
    text::Gbk text_;
    bool enabled_ = true;
};

}  // namespace ardentis::forms
