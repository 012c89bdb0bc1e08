#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/application.h"

namespace ardentis::app::testing {

// Writes what the screen shows of the window's client area into a 24-bit BMP file;
// returns whether it did.
bool saveScreenshot(HWND window, const std::string& file);

// The whole client on its real windows, with the settings it starts from in this Wine
// prefix's registry: no automatic log-in, no game directory prompt, a loopback server
// nothing listens on. The settings are removed again afterwards.
class AppFixture : public ::testing::Test {
  public:
    AppFixture();
    ~AppFixture() override;
    // Pumps the window thread's messages until `done` holds, at most `limitMs`.
    bool pumpUntil(const std::function<bool()>& done, int limitMs = 10000);

    std::unique_ptr<Application> app;
};

}  // namespace ardentis::app::testing
