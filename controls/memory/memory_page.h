#pragma once

#include "controls/page.h"

namespace ardentis::forms {

class MemoryPage final : public Page {
  public:
    explicit MemoryPage(bool visible = true) : visible_(visible) {}

    [[nodiscard]] bool visible() const override { return visible_; }
    void setVisible(bool visible) override { visible_ = visible; }
    void activate() override { active_ = true; }
    [[nodiscard]] bool active() const override { return active_; }
    void deactivate() { active_ = false; }

  private:
    bool visible_;
    bool active_ = false;
};

}  // namespace ardentis::forms
