#include "app/splash_window.h"

#include "app/resource.h"
#include "app/window_layout.h"

namespace ardentis::app {

SplashWindow::SplashWindow(HWND owner) : dialog(IDD_SPLASH, owner), window(dialog) {
    setClientSize(dialog.handle(), 471, 173);
    centre(dialog.handle());
}

}  // namespace ardentis::app
