// The Win32 event loop, and the system's modal boxes played by one of its timers: their
// modal loops dispatch this thread's timers, so the timer finds the box once it is up and
// acts as the user.
#include <windows.h>

#include <commdlg.h>
#include <dlgs.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "platform/win32/wide_text.h"
#include "platform/win32/win32_event_loop.h"
#include "tests/support/scratch_directory.h"
#include "text/code_page.h"
#include "ui/win32/win32_info_box.h"
#include "ui/win32/win32_open_file_dialog.h"
#include "ui/win32/win32_password_prompt.h"
#include "ui/win32/window_text.h"

namespace ardentis::testing {
namespace {

using platform::Win32EventLoop;
using win32::wideWindowText;
using Prompt = win32::Win32PasswordPrompt;

text::Gbk g(std::string_view utf8) {
    return text::gbk(utf8);
}

constexpr auto kLimit = std::chrono::seconds(10);  // bounds the waits; nothing measures time

TEST(Win32EventLoop, TimersStopWhenToldPostsRunInOrderOnTheLoopThreadAndFailuresReachThePump) {
    Win32EventLoop loop;
    int silentTicks = 0;
    int stoppedTicks = 0;
    int ticks = 0;
    const auto silent = loop.createTimer(10, false, [&] { ++silentTicks; });
    std::unique_ptr<platform::Timer> stopped;
    stopped = loop.createTimer(10, true, [&] {
        ++stoppedTicks;
        stopped->setEnabled(false);
    });
    const auto other = loop.createTimer(15, true, [&] { ++ticks; });
    ASSERT_TRUE(loop.runUntil([&] { return ticks >= 5; }, kLimit));
    EXPECT_EQ(silentTicks, 0) << "created disabled";
    EXPECT_EQ(stoppedTicks, 1) << "disabled in its handler";

    const auto loopThread = std::this_thread::get_id();
    std::vector<int> order;
    bool allOnLoopThread = true;
    std::thread([&] {
        for (int i = 0; i < 100; ++i) {
            loop.post([&, i] {
                order.push_back(i);
                allOnLoopThread = allOnLoopThread && std::this_thread::get_id() == loopThread;
            });
        }
    }).join();
    ASSERT_TRUE(loop.runUntil([&] { return order.size() == 100; }, kLimit));
    EXPECT_TRUE(allOnLoopThread);
    EXPECT_TRUE(std::ranges::is_sorted(order));

    bool later = false;
    loop.post([] { throw std::runtime_error("posted work failed"); });
    loop.post([&] { later = true; });
    EXPECT_THROW((void)loop.runUntil([] { return false; }, kLimit), std::runtime_error);
    EXPECT_TRUE(loop.runUntil([&] { return later; }, kLimit)) << "the rest still runs";
    // A quit met while pumping is left for the outer loop.
    loop.post([] { Win32EventLoop::quit(3); });
    EXPECT_FALSE(loop.runUntil([] { return false; }, kLimit));
    EXPECT_EQ(loop.run(), 3);
}

// Plays the user on the box with that caption, found from a timer that the box's modal loop
// runs.
struct ModalDriver {
    ModalDriver(const wchar_t* caption, std::function<void(HWND)> act) {
        timer = loop.createTimer(20, true, [this, caption, act = std::move(act)] {
            if (HWND box = FindWindowW(nullptr, caption); box != nullptr && !acted) {
                acted = true;
                act(box);
            }
        });
    }
    Win32EventLoop loop;
    std::unique_ptr<platform::Timer> timer;
    bool acted = false;
};

TEST(Win32Boxes, TheSystemBoxesShowOurTextsAndGiveBackWhatTheUserChose) {
    const HWND dialog = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 0, 0, 80, 40,
                                        nullptr, nullptr, nullptr, nullptr);
    std::wstring shownText;
    HWND owner = nullptr;
    ModalDriver user(L"Ardentis", [&](HWND box) {
        shownText = wideWindowText(GetDlgItem(box, 0xFFFF));
        owner = GetWindow(box, GW_OWNER);
        SendMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    });
    win32::Win32InfoBox(dialog).showInfo(g("房间中已经开始战斗了，请战后再来!"));
    ASSERT_TRUE(user.acted);
    EXPECT_EQ(shownText, L"房间中已经开始战斗了，请战后再来!");
    EXPECT_EQ(owner, dialog);

    // The password prompt: OK gives the typed password from a masked edit, cancel nothing.
    std::wstring prompt;
    bool masked = false;
    ModalDriver typing(L"请输入密码", [&](HWND box) {
        prompt = wideWindowText(GetDlgItem(box, Prompt::kPromptId));
        HWND edit = GetDlgItem(box, Prompt::kPasswordId);
        masked = (GetWindowLongPtrW(edit, GWL_STYLE) & ES_PASSWORD) != 0;
        SetWindowTextW(edit, L"密码12");
        SendMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    });
    Prompt passwords(dialog);
    EXPECT_EQ(passwords.ask(g("请输入密码"), g("请输入房间密码")), g("密码12"));
    ASSERT_TRUE(typing.acted);
    EXPECT_EQ(prompt, L"请输入房间密码");
    EXPECT_TRUE(masked);
    ModalDriver cancelling(L"请输入密码", [](HWND box) {
        SetDlgItemTextW(box, Prompt::kPasswordId, L"abc");
        SendMessageW(GetDlgItem(box, IDCANCEL), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(passwords.ask(g("请输入密码"), g("请输入房间密码")), std::nullopt);
    EXPECT_TRUE(cancelling.acted);

    // The open-file dialog shows our title and filter and gives the chosen file.
    ScratchDirectory folder;
    const std::wstring path = (folder / L"总指挥.exe").wstring();
    folder.addFile(L"总指挥.exe");
    std::wstring firstType;
    ModalDriver choosing(L"选择TA所在位置", [&](HWND box) {
        wchar_t text[128] = {};
        SendDlgItemMessageW(box, cmb1, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text));
        firstType = text;
        SetDlgItemTextW(box, cmb13, path.c_str());
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    const auto chosen =
        win32::Win32OpenFileDialog(dialog).run(g("选择TA所在位置"), g("TA执行文件|totala.exe"));
    ASSERT_TRUE(choosing.acted);
    EXPECT_EQ(firstType, L"TA执行文件");
    EXPECT_EQ(chosen, platform::wideToGbk(path).value());
    DestroyWindow(dialog);
}

}  // namespace
}  // namespace ardentis::testing
