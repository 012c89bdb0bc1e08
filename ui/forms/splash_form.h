#pragma once

#include <functional>
#include <memory>

#include "platform/event_loop.h"
#include "ui/forms/splash_controls.h"

namespace ardentis::forms {

// The splash picture shown at start-up; its timer closes it after 2000 ms, and closing it
// shows the lobby window.
class TFormslpash {
  public:
    static constexpr int kInterval = 2000;

    // `onClosed` runs once, when the timer has closed the splash.
    TFormslpash(SplashControls controls, platform::EventLoop& loop, std::function<void()> onClosed);

    void Show();
    void Timer1Timer();
    [[nodiscard]] bool closed() const { return closed_; }

    SplashControls c;

  private:
    std::unique_ptr<platform::Timer> Timer1_;
    std::function<void()> onClosed_;
    bool closed_ = false;
};

}  // namespace ardentis::forms
