#pragma once

#include <vector>

#include "controls/memo.h"

namespace ardentis::forms {

// A memo held as lines. Typing goes into the caret's line; Enter splits it there.
class MemoryMemo final : public Memo {
  public:
    [[nodiscard]] text::Gbk text() const override;
    void setLineLimit(int lines) override { limit_ = lines; }
    void clear() override;
    [[nodiscard]] int lineCount() const override { return static_cast<int>(lines_.size()); }
    [[nodiscard]] text::Gbk line(int index) const override;
    [[nodiscard]] bool highlighted(int index) const override;
    [[nodiscard]] int caretLine() const override { return caret_; }
    [[nodiscard]] bool enabled() const override { return enabled_; }
    void setEnabled(bool enabled) override { enabled_ = enabled; }

    // The user types text at the end of the caret's line.
    void type(const text::Gbk& text);
    // The user presses Enter: a new line after the caret's line, then onChange and onKeyDown.
    void pressEnter();
    // The user types a whole line and presses Enter.
    void typeLine(const text::Gbk& text) {
        type(text);
        pressEnter();
    }

  protected:
    void applyText(const text::Gbk& text) override;
    void appendLine(const text::Gbk& line, LineMark mark) override;

  private:
    struct Line {
        text::Gbk text;
        LineMark mark = LineMark::Plain;
    };
    std::vector<Line> lines_;
    int limit_ = 0;  // none
    int caret_ = 0;
    bool enabled_ = true;
};

}  // namespace ardentis::forms
