#include <gtest/gtest.h>

#include <array>
#include <cstddef>

#include "platform/win32/win32_game_windows.h"
#include "platform/win32/win32_process_launcher.h"
#include "platform/win32/win32_shared_memory.h"
#include "tests/win32/raw_windows.h"

namespace ardentis::testing {
namespace {

using platform::PixelPoint;
using platform::Rgb;
using text::Gbk;

TEST(Win32GameWindows, FindsAWindowByItsExactTitleOnly) {
    platform::Win32GameWindows windows;
    RawColourWindow window(L"Ardentis simulated game", 19, 19, 0);
    EXPECT_NE(windows.findWindow(Gbk("Ardentis simulated game")), platform::kNoWindow);
    EXPECT_EQ(windows.findWindow(Gbk("Ardentis simulated")), platform::kNoWindow);
}

TEST(Win32GameWindows, ReadsThePaintedColourAtEveryPoint) {
    platform::Win32GameWindows windows;
    RawColourWindow window(L"Ardentis colour window", 27, 159, 19);
    const auto handle = windows.findWindow(Gbk("Ardentis colour window"));
    ASSERT_NE(handle, platform::kNoWindow);
    const std::array<PixelPoint, 3> points{{{16, 22}, {517, 382}, {627, 454}}};
    std::array<Rgb, 3> colours{};
    ASSERT_TRUE(windows.readPixels(handle, points, colours).has_value());
    for (const Rgb& colour : colours) {
        EXPECT_EQ(colour, (Rgb{27, 159, 19}));
    }
}

TEST(Win32GameWindows, ClickArrivesAsDownThenUpAndCloseEndsTheWindow) {
    platform::Win32GameWindows windows;
    RawColourWindow window(L"Ardentis click window", 0, 0, 0);
    const auto handle = windows.findWindow(Gbk("Ardentis click window"));
    ASSERT_NE(handle, platform::kNoWindow);
    const std::intptr_t at = (414 << 16) | 482;
    windows.sendMessage(handle, platform::kWmLButtonDown, 0, at);
    windows.sendMessage(handle, platform::kWmLButtonUp, 0, at);
    EXPECT_EQ(window.mouseLog(), L"down 482 414;up 482 414;");
    windows.sendMessage(handle, platform::kWmClose, 0, 0);
    RawColourWindow::pump();
    EXPECT_FALSE(window.exists());
    EXPECT_EQ(windows.findWindow(Gbk("Ardentis click window")), platform::kNoWindow);
    windows.sendMessage(handle, platform::kWmClose, 0, 0);  // to a window that has gone
}

TEST(Win32SharedMemory, ReadsWhatTheOwnerWrote) {
    platform::Win32SharedMemory memory;
    EXPECT_FALSE(memory.openMapping("Ardentis-test-mapping", 1220).has_value());
    RawMapping mapping(L"Ardentis-test-mapping", 1220);
    auto view = memory.openMapping("Ardentis-test-mapping", 1220);
    ASSERT_TRUE(view.has_value());
    mapping.write(144, 3);
    std::array<std::byte, 1220> bytes{};
    (*view)->read(bytes);
    EXPECT_EQ(bytes[144], std::byte{3});
    EXPECT_EQ(bytes[145], std::byte{0});
}

TEST(Win32ProcessLauncher, AMissingExecutableIsReported) {
    platform::Win32ProcessLauncher launcher;
    EXPECT_FALSE(launcher
                     .shellExecute(Gbk("C:\\no such directory\\totala.exe"), Gbk("-c tmphost.ini"),
                                   platform::WindowMode::Maximized)
                     .has_value());
}

}  // namespace
}  // namespace ardentis::testing
