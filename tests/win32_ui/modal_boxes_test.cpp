// The system's modal boxes, played by a timer: their modal loops dispatch this thread's
// timers, so a timer of the event loop finds the box once it is up and acts as the user.
#include <windows.h>

#include <commdlg.h>
#include <dlgs.h>

#include <functional>
#include <string>

#include "platform/win32/wide_text.h"
#include "platform/win32/win32_event_loop.h"
#include "tests/support/scratch_directory.h"
#include "tests/win32_ui/ui_test_support.h"
#include "ui/win32/win32_info_box.h"
#include "ui/win32/win32_open_file_dialog.h"
#include "ui/win32/win32_password_prompt.h"

namespace ardentis::testing {
namespace {

using win32::wideWindowText;
using Prompt = win32::Win32PasswordPrompt;

// Gives up (leaving the box to the test's time limit) only if the box never comes.
class ModalDriver {
  public:
    ModalDriver(const wchar_t* caption, std::function<void(HWND)> act) {
        timer_ = loop_.createTimer(20, true, [this, caption, act = std::move(act)] {
            HWND box = findShown(GetCurrentThreadId(), caption);
            if (box != nullptr || ++ticks_ > 500) {
                timer_->setEnabled(false);
            }
            if (box != nullptr) {
                acted = true;
                act(box);
            }
        });
    }
    bool acted = false;

  private:
    platform::Win32EventLoop loop_;
    std::unique_ptr<platform::Timer> timer_;
    int ticks_ = 0;
};

using ModalBoxTest = ControlsDialogTest;

TEST_F(ModalBoxTest, InfoShowsTheMessageWithOneOkButtonAndTheProgramsCaption) {
    std::wstring shownText;
    HWND owner = nullptr;
    ModalDriver user(L"Ardentis", [&](HWND box) {
        shownText = wideWindowText(GetDlgItem(box, 0xFFFF));
        owner = GetWindow(box, GW_OWNER);
        SendMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    });
    win32::Win32InfoBox(dialog.handle()).showInfo(g("房间中已经开始战斗了，请战后再来!"));
    ASSERT_TRUE(user.acted);
    EXPECT_EQ(shownText, L"房间中已经开始战斗了，请战后再来!");
    EXPECT_EQ(owner, dialog.handle());
}

TEST_F(ModalBoxTest, PasswordOkReturnsTheTypedPasswordFromAMaskedEditAndCancelGivesNothing) {
    std::wstring prompt;
    bool masked = false;
    ModalDriver user(L"请输入密码", [&](HWND box) {
        prompt = wideWindowText(GetDlgItem(box, Prompt::kPromptId));
        HWND edit = GetDlgItem(box, Prompt::kPasswordId);
        masked = (GetWindowLongPtrW(edit, GWL_STYLE) & ES_PASSWORD) != 0;
        for (const wchar_t c : std::wstring(L"密码12")) {
            SendMessageW(edit, WM_CHAR, c, 1);
        }
        SendMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    });
    Prompt passwords(dialog.handle());
    EXPECT_EQ(passwords.ask(g("请输入密码"), g("请输入房间密码")), g("密码12"));
    ASSERT_TRUE(user.acted);
    EXPECT_EQ(prompt, L"请输入房间密码");
    EXPECT_TRUE(masked);

    ModalDriver cancelling(L"请输入密码", [](HWND box) {
        SetDlgItemTextW(box, Prompt::kPasswordId, L"abc");
        SendMessageW(GetDlgItem(box, IDCANCEL), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(passwords.ask(g("请输入密码"), g("请输入房间密码")), std::nullopt);
    EXPECT_TRUE(cancelling.acted);
}

TEST_F(ModalBoxTest, OpenFileReturnsTheChosenFileAndShowsTitleAndFilter) {
    ScratchDirectory folder;
    const std::wstring path = (folder / L"总指挥.exe").wstring();
    folder.addFile(L"总指挥.exe");
    std::wstring firstType;
    ModalDriver user(L"选择TA所在位置", [&](HWND box) {
        wchar_t text[128] = {};
        SendDlgItemMessageW(box, cmb1, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text));
        firstType = text;
        SetDlgItemTextW(box, cmb13, path.c_str());
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    const auto chosen = win32::Win32OpenFileDialog(dialog.handle())
                            .run(g("选择TA所在位置"), g("TA执行文件|totala.exe"));
    ASSERT_TRUE(user.acted);
    EXPECT_EQ(firstType, L"TA执行文件");
    EXPECT_EQ(chosen, platform::wideToGbk(path).value());
}

}  // namespace
}  // namespace ardentis::testing
