#pragma once

#include "text/gbk.h"

namespace ardentis::platform {

// Modal message boxes; each returns when it is dismissed.
class InfoBox {
  public:
    virtual ~InfoBox() = default;
    // One OK button.
    virtual void showInfo(const text::Gbk& message) = 0;
    // A warning with Yes and No; true for Yes.
    [[nodiscard]] virtual bool askYesNo(const text::Gbk& message) = 0;
};

}  // namespace ardentis::platform
