#pragma once

#include "text/gbk.h"

namespace ardentis::forms {

class Label {
  public:
    virtual ~Label() = default;

    [[nodiscard]] virtual text::Gbk caption() const = 0;
    virtual void setCaption(const text::Gbk& caption) = 0;
};

}  // namespace ardentis::forms
