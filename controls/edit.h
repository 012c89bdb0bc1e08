#pragma once

#include "controls/handler.h"
#include "text/gbk.h"

namespace ardentis::forms {

// A one-line text box. A change of text, typed or set by the program, runs onChange;
// setting the text it already holds runs nothing.
class Edit {
  public:
    virtual ~Edit() = default;

    [[nodiscard]] virtual text::Gbk text() const = 0;
    void setText(const text::Gbk& text) {
        if (text == this->text()) {
            return;
        }
        applyText(text);
        onChange();
    }
    [[nodiscard]] virtual bool enabled() const = 0;
    virtual void setEnabled(bool enabled) = 0;

    Handler onChange;

  protected:
    virtual void applyText(const text::Gbk& text) = 0;
};

}  // namespace ardentis::forms
