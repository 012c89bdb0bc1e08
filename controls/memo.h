#pragma once

#include <cstdint>
#include <functional>

#include "controls/handler.h"
#include "text/gbk.h"

namespace ardentis::forms {

// How a chat view shows a line: a line that names the user stands out.
enum class LineMark : std::uint8_t { Plain, Highlight };

// A multi-line text box: chat views and chat inputs. Lines are separated by CR LF in
// text(). Setting a different text runs onChange; adding a line or clearing runs nothing.
class Memo {
  public:
    static constexpr int kEnter = 13;

    virtual ~Memo() = default;

    [[nodiscard]] virtual text::Gbk text() const = 0;
    void setText(const text::Gbk& text) {
        if (text == this->text()) {
            return;
        }
        applyText(text);
        onChange();
    }
    // A box that cannot show marks (a plain edit) shows every line plain.
    void addLine(const text::Gbk& line, LineMark mark = LineMark::Plain) { appendLine(line, mark); }
    // From now on, adding a line past `lines` drops the oldest: a chat view must not grow
    // for as long as the program runs.
    virtual void setLineLimit(int lines) = 0;
    virtual void clear() = 0;
    [[nodiscard]] virtual int lineCount() const = 0;
    // Line `index`, empty when there is no such line.
    [[nodiscard]] virtual text::Gbk line(int index) const = 0;
    // Whether line `index` shows highlighted; false when there is no such line.
    [[nodiscard]] virtual bool highlighted(int index) const = 0;
    // The line that holds the caret.
    [[nodiscard]] virtual int caretLine() const = 0;
    [[nodiscard]] virtual bool enabled() const = 0;
    virtual void setEnabled(bool enabled) = 0;

    Handler onChange;
    // A key went down; runs after the key's own effect on the text (Enter has made its line).
    std::function<void(int key)> onKeyDown;

  protected:
    virtual void applyText(const text::Gbk& text) = 0;
    virtual void appendLine(const text::Gbk& line, LineMark mark) = 0;
};

}  // namespace ardentis::forms
