#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/application.h"

namespace ardentis::app::testing {

// Texts and shapes of real windows, read straight through the W API.
[[nodiscard]] std::wstring textOf(HWND window);
[[nodiscard]] std::wstring itemText(HWND dialog, int controlId);
[[nodiscard]] SIZE clientSize(HWND window);
[[nodiscard]] bool hasStyle(HWND window, long style);
[[nodiscard]] bool hasExStyle(HWND window, long style);
[[nodiscard]] std::vector<std::wstring> columnHeadings(HWND list);
[[nodiscard]] std::vector<std::wstring> tabTexts(HWND tabs);
[[nodiscard]] std::vector<std::wstring> comboItems(HWND combo);
// A trackbar's minimum, maximum and position.
struct TrackRange {
    long minimum;
    long maximum;
    long position;
};
[[nodiscard]] TrackRange trackRange(HWND trackbar);
// Writes what the screen shows of the window's client area into a 24-bit BMP file;
// returns whether it did.
bool saveScreenshot(HWND window, const std::string& file);

// The whole client on its real windows, with the settings it starts from in this Wine
// prefix's registry: no automatic log-in, no game directory prompt, a loopback server
// nothing listens on. The settings are removed again afterwards.
class AppFixture : public ::testing::Test {
  protected:
    AppFixture();
    ~AppFixture() override;

    // Program start, as wWinMain does it.
    void start();
    // Pumps the window thread's messages until `done` holds, at most `limitMs`.
    bool pumpUntil(const std::function<bool()>& done, int limitMs = 10000);
    // Pumps for `ms` milliseconds, so that windows paint.
    void pumpFor(int ms);

    std::unique_ptr<Application> app;
};

}  // namespace ardentis::app::testing
