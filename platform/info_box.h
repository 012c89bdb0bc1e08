#pragma once

#include "text/gbk.h"

namespace ardentis::platform {

// A modal information box with one OK button; returns when it is dismissed.
class InfoBox {
  public:
    virtual ~InfoBox() = default;
    virtual void showInfo(const text::Gbk& message) = 0;
};

}  // namespace ardentis::platform
