#pragma once

#include <utility>
#include <vector>

#include "platform/desktop_notifier.h"

namespace ardentis::platform {

// A desktop in memory: the test says whether the client is in front, and reads what was
// asked of the taskbar and the tray.
class FakeDesktopNotifier final : public DesktopNotifier {
  public:
    [[nodiscard]] bool inFront() const override { return front; }
    void flash() override { ++flashes; }
    bool balloon(const text::Gbk& title, const text::Gbk& text) override {
        balloons.emplace_back(title, text);
        trayIcon = true;
        return true;
    }
    bool showTrayIcon(bool shown) override {
        trayIcon = shown;
        return true;
    }
    void minimiseToTray(bool on) override { toTray = on; }

    bool front = false;
    int flashes = 0;
    std::vector<std::pair<text::Gbk, text::Gbk>> balloons;  // title, text
    bool trayIcon = false;
    bool toTray = false;
};

}  // namespace ardentis::platform
