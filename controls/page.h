#pragma once

namespace ardentis::forms {

// A tab page of a page control: shown among the tabs or not, and the active one or not.
class Page {
  public:
    virtual ~Page() = default;

    [[nodiscard]] virtual bool visible() const = 0;
    virtual void setVisible(bool visible) = 0;
    virtual void activate() = 0;
    [[nodiscard]] virtual bool active() const = 0;
};

}  // namespace ardentis::forms
