// The pictures of the real windows at the DPI the windows run at, and the password prompt in
// English.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/battleroom_window.h"
#include "app/main_window.h"
#include "app/resource.h"
#include "app/splash_window.h"
#include "platform/win32/win32_event_loop.h"
#include "text/shown.h"
#include "ui/win32/common_controls.h"
#include "ui/win32/dialog_font.h"
#include "ui/win32/win32_password_prompt.h"
#include "ui/win32/window_text.h"

namespace ardentis::app {
namespace {

using Size = std::pair<int, int>;

// WM_DPICHANGED_AFTERPARENT, which the system sends a child after a DPI change.
constexpr UINT kDpiChangedAfterParent = 0x02E3;

HBITMAP shownBitmap(HWND control) {
    return reinterpret_cast<HBITMAP>(SendMessageW(control, STM_GETIMAGE, IMAGE_BITMAP, 0));
}

Size bitmapSize(HBITMAP bitmap) {
    BITMAP info{};
    GetObjectW(bitmap, sizeof info, &info);
    return {info.bmWidth, info.bmHeight};
}

Size clientSize(HWND control) {
    RECT area{};
    GetClientRect(control, &area);
    return {area.right, area.bottom};
}

void resize(HWND control, Size size) {
    SetWindowPos(control, nullptr, 0, 0, size.first, size.second,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Each picture is its own size at 96 DPI scaled to the control's DPI and shows a bitmap of
// exactly the control's client size; a new size brings a bitmap of that size and deletes the
// one made for the size before; after a DPI change the control is at its size again; the
// windows' end deletes the bitmaps they showed last.
TEST(Pictures, FillTheirControlsAtAnyDpiAndFollowANewSizeLeavingNoBitmapBehind) {
    win32::initCommonControls();
    auto lobby = std::make_unique<MainWindow>();
    auto room = std::make_unique<BattleroomWindow>(lobby->dialog.handle());
    auto splash = std::make_unique<SplashWindow>(lobby->dialog.handle());
    const std::pair<HWND, Size> pictures[] = {
        {lobby->bsSkinLinkImage1.handle(), {790, 100}},
        {room->banner.handle(), {632, 56}},
        {room->dialog.item(IDC_ROOM_MINIMAP), {200, 150}},
        {splash->dialog.item(IDC_SPLASH_IMAGE1), {471, 173}},
    };
    std::vector<HBITMAP> last;
    for (const auto& [control, design] : pictures) {
        SCOPED_TRACE(GetDlgCtrlID(control));
        const int dpi = static_cast<int>(win32::windowDpi(control));
        const Size atDpi{MulDiv(design.first, dpi, 96), MulDiv(design.second, dpi, 96)};
        EXPECT_EQ(clientSize(control), atDpi);
        EXPECT_EQ(bitmapSize(shownBitmap(control)), atDpi);

        resize(control, {atDpi.first * 3 / 2, atDpi.second * 3 / 2});
        const HBITMAP larger = shownBitmap(control);
        EXPECT_EQ(bitmapSize(larger), clientSize(control));
        resize(control, {atDpi.first * 2, atDpi.second * 2});
        EXPECT_EQ(bitmapSize(shownBitmap(control)), clientSize(control));
        EXPECT_EQ(GetObjectType(larger), 0u) << "the bitmap for the size before is left behind";

        SendMessageW(control, kDpiChangedAfterParent, 0, 0);
        EXPECT_EQ(clientSize(control), atDpi);
        EXPECT_EQ(bitmapSize(shownBitmap(control)), atDpi);
        last.push_back(shownBitmap(control));
    }
    splash.reset();
    room.reset();
    lobby.reset();
    for (HBITMAP bitmap : last) {
        EXPECT_EQ(GetObjectType(bitmap), 0u) << "a picture outlives its window";
    }
}

// With English chosen the prompt's own texts are English (its caller gives the caption and the
// prompt in the chosen language).
TEST(PasswordPrompt, ShowsEnglishWhenEnglishIsChosen) {
    text::setLanguage(text::Language::English);
    const struct Restore {
        ~Restore() { text::setLanguage(text::Language::Chinese); }
    } restore;
    platform::Win32EventLoop loop;
    std::wstring prompt;
    std::wstring ok;
    std::wstring cancel;
    const auto user = loop.createTimer(20, true, [&] {
        if (HWND box = FindWindowW(nullptr, L"Password"); box != nullptr && ok.empty()) {
            prompt = win32::wideWindowText(GetDlgItem(box, win32::Win32PasswordPrompt::kPromptId));
            ok = win32::wideWindowText(GetDlgItem(box, IDOK));
            cancel = win32::wideWindowText(GetDlgItem(box, IDCANCEL));
            SendMessageW(GetDlgItem(box, IDCANCEL), BM_CLICK, 0, 0);
        }
    });
    EXPECT_EQ(win32::Win32PasswordPrompt().ask(text::shown<"请输入密码">(),
                                               text::shown<"请输入房间密码">()),
              std::nullopt);
    EXPECT_EQ(prompt, L"Enter the room's password");
    EXPECT_EQ(ok, L"OK");
    EXPECT_EQ(cancel, L"Cancel");
}

}  // namespace
}  // namespace ardentis::app
