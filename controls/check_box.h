#pragma once

#include "controls/handler.h"
#include "text/gbk.h"

namespace ardentis::forms {

// A check box. Changing the mark, by the user or by the program, runs onClick; setting
// the mark it already has runs nothing. The rule lives here, not in the implementations.
class CheckBox {
  public:
    virtual ~CheckBox() = default;

    [[nodiscard]] virtual bool checked() const = 0;
    void setChecked(bool checked) {
        if (checked == this->checked()) {
            return;
        }
        applyChecked(checked);
        onClick();
    }
    [[nodiscard]] virtual bool enabled() const = 0;
    virtual void setEnabled(bool enabled) = 0;
    [[nodiscard]] virtual bool visible() const = 0;
    virtual void setVisible(bool visible) = 0;

    Handler onClick;

  protected:
    // Shows the new mark without running any handler.
    virtual void applyChecked(bool checked) = 0;
};

}  // namespace ardentis::forms
