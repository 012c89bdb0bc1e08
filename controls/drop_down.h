#pragma once

#include "controls/handler.h"
#include "text/gbk.h"

namespace ardentis::forms {

// A drop-down list without free text. Only the user's choice runs onChange; the program's
// selection never does (a joiner's map list must not suggest the map the host just set).
class DropDown {
  public:
    virtual ~DropDown() = default;

    [[nodiscard]] virtual int count() const = 0;
    [[nodiscard]] virtual text::Gbk item(int index) const = 0;
    virtual void addItem(const text::Gbk& item) = 0;
    virtual void clear() = 0;
    // The selected item, or -1.
    [[nodiscard]] virtual int itemIndex() const = 0;
    virtual void setItemIndex(int index) = 0;
    // The selected item's text, empty when none is selected.
    [[nodiscard]] text::Gbk text() const {
        const int index = itemIndex();
        return index < 0 ? text::Gbk() : item(index);
    }
    [[nodiscard]] virtual bool enabled() const = 0;
    virtual void setEnabled(bool enabled) = 0;

    Handler onChange;
};

}  // namespace ardentis::forms
