#pragma once

#include <algorithm>

#include "controls/handler.h"

namespace ardentis::forms {

// A slider (track bar) with a range. Every change of position, by the user or by the
// program, runs onChange; positions are clamped to the range.
class Slider {
  public:
    virtual ~Slider() = default;

    [[nodiscard]] virtual int minimum() const = 0;
    [[nodiscard]] virtual int maximum() const = 0;
    [[nodiscard]] virtual int position() const = 0;
    void setPosition(int position) {
        const int clamped = std::clamp(position, minimum(), std::max(minimum(), maximum()));
        if (clamped == this->position()) {
            return;
        }
        applyPosition(clamped);
        onChange();
    }
    [[nodiscard]] virtual bool enabled() const = 0;
    virtual void setEnabled(bool enabled) = 0;

    Handler onChange;

  protected:
    virtual void applyPosition(int position) = 0;
};

}  // namespace ardentis::forms
