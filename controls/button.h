#pragma once

#include "controls/handler.h"
#include "text/gbk.h"

namespace ardentis::forms {

// A push button. Only the user's click runs onClick; the form calls click() for it.
class Button {
  public:
    virtual ~Button() = default;

    [[nodiscard]] virtual text::Gbk caption() const = 0;
    virtual void setCaption(const text::Gbk& caption) = 0;
    [[nodiscard]] virtual bool enabled() const = 0;
    virtual void setEnabled(bool enabled) = 0;
    [[nodiscard]] virtual bool visible() const = 0;
    virtual void setVisible(bool visible) = 0;

    Handler onClick;
};

}  // namespace ardentis::forms
