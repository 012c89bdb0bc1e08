#include "ui/forms/splash_form.h"

namespace ardentis::forms {

TFormslpash::TFormslpash(SplashControls controls, platform::EventLoop& loop,
                         std::function<void()> onClosed)
    : c(controls), onClosed_(std::move(onClosed)) {
    Timer1_ = loop.createTimer(kInterval, false, [this] { Timer1Timer(); });
}

void TFormslpash::Show() {
    c.window.show();
    Timer1_->setEnabled(true);
}

void TFormslpash::Timer1Timer() {
    Timer1_->setEnabled(false);
    if (closed_) {
        return;
    }
    closed_ = true;
    c.window.hide();
    if (onClosed_) {
        onClosed_();
    }
}

}  // namespace ardentis::forms
