#pragma once

#include "controls/slider.h"

namespace ardentis::forms {

class MemorySlider final : public Slider {
  public:
    MemorySlider(int minimum, int maximum, int position)
        : minimum_(minimum), maximum_(maximum), position_(position) {}

    [[nodiscard]] int minimum() const override { return minimum_; }
    [[nodiscard]] int maximum() const override { return maximum_; }
    [[nodiscard]] int position() const override { return position_; }
    [[nodiscard]] bool enabled() const override { return enabled_; }
    void setEnabled(bool enabled) override { enabled_ = enabled; }

    // The user drags the slider.
    bool drag(int position) {
        if (!enabled_) {
            return false;
        }
        setPosition(position);
        return true;
    }

  protected:
    void applyPosition(int position) override { position_ = position; }

  private:
    int minimum_;
    int maximum_;
    int position_;
    bool enabled_ = true;
};

}  // namespace ardentis::forms
