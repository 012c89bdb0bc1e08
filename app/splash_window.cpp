#include "app/splash_window.h"

#include "app/resource.h"
#include "app/window_layout.h"
#include "ui/win32/fitted_picture.h"

namespace ardentis::app {

SplashWindow::SplashWindow(HWND owner) : dialog(IDD_SPLASH, owner), window(dialog) {
    setClientSize(dialog.handle(), 471, 173);
    win32::fitPicture(dialog.item(IDC_SPLASH_IMAGE1));
    centre(dialog.handle());
}

}  // namespace ardentis::app
