#pragma once

#include <functional>

#include "controls/handler.h"
#include "text/gbk.h"

namespace ardentis::forms {

// A window's outer size in pixels, frame included.
struct WindowSize {
    int width = 0;
    int height = 0;
    friend bool operator==(const WindowSize&, const WindowSize&) = default;
};

// A top-level window. Showing a hidden window runs onShow, hiding a shown one runs onHide.
// A close request from the system asks canClose first; closing runs onClose.
class Window {
  public:
    virtual ~Window() = default;

    [[nodiscard]] virtual bool visible() const = 0;
    void show() {
        if (visible()) {
            return;
        }
        applyVisible(true);
        onShow();
    }
    void hide() {
        if (!visible()) {
            return;
        }
        applyVisible(false);
        onHide();
    }
    // A close request, from the system or the program: refused unless onCloseQuery allows
    // it; an allowed close hides the window and runs onClose. Returns whether it closed.
    bool requestClose() {
        if (onCloseQuery && !onCloseQuery()) {
            return false;
        }
        hide();
        onClose();
        return true;
    }
    [[nodiscard]] virtual text::Gbk caption() const = 0;
    virtual void setCaption(const text::Gbk& caption) = 0;
    [[nodiscard]] virtual WindowSize size() const = 0;
    // Resizes in place: the window keeps its position and its place among the windows.
    virtual void setSize(WindowSize size) = 0;

    Handler onShow;
    Handler onHide;
    std::function<bool()> onCloseQuery;
    Handler onClose;

  protected:
    virtual void applyVisible(bool visible) = 0;
};

}  // namespace ardentis::forms
