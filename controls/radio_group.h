#pragma once

#include <optional>

#include "controls/handler.h"
#include "text/gbk.h"

namespace ardentis::forms {

// A group of radio items with a fixed list. Selecting another item, by the user or the
// program, runs onClick; an index outside the list is clamped to it (below 0: none).
class RadioGroup {
  public:
    virtual ~RadioGroup() = default;

    [[nodiscard]] virtual int count() const = 0;
    [[nodiscard]] virtual text::Gbk item(int index) const = 0;
    // The selected item, or -1 when none is.
    [[nodiscard]] virtual int itemIndex() const = 0;
    void setItemIndex(int index) {
        const int clamped = index < 0 ? -1 : (index >= count() ? count() - 1 : index);
        if (clamped == itemIndex()) {
            return;
        }
        applyItemIndex(clamped);
        onClick();
    }
    [[nodiscard]] virtual bool enabled() const = 0;
    virtual void setEnabled(bool enabled) = 0;

    Handler onClick;

  protected:
    virtual void applyItemIndex(int index) = 0;
};

}  // namespace ardentis::forms
