#include <windows.h>

#include <commdlg.h>

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

// Dialog ids the system's open-file dialog uses for its type list and file name.
constexpr int kFileTypeList = 0x470;  // cmb1
constexpr int kFileNameBox = 0x47c;   // cmb13
constexpr int kGiveUpTicks = 500;

// The modal loops of the boxes dispatch this thread's timers, so a timer of the event loop
// finds the box once it is up and plays the user. Gives up (and leaves the box to the
// test's time limit) only if the box never comes.
class ModalDriver {
  public:
    ModalDriver(const wchar_t* caption, std::function<void(HWND)> act)
        : caption_(caption), act_(std::move(act)) {
        timer_ = loop_.createTimer(20, true, [this] { look(); });
    }
    [[nodiscard]] bool acted() const { return acted_; }

  private:
    void look() {
        if (HWND box = findShown(GetCurrentThreadId(), caption_); box != nullptr) {
            timer_->setEnabled(false);
            acted_ = true;
            act_(box);
        } else if (++ticks_ > kGiveUpTicks) {
            timer_->setEnabled(false);
        }
    }

    platform::Win32EventLoop loop_;
    std::unique_ptr<platform::Timer> timer_;
    const wchar_t* caption_;
    std::function<void(HWND)> act_;
    int ticks_ = 0;
    bool acted_ = false;
};

using InfoBoxTest = ControlsDialogTest;

TEST_F(InfoBoxTest, ShowsTheMessageWithOneOkButtonAndTheProgramsCaption) {
    std::wstring shownText;
    HWND owner = nullptr;
    ModalDriver user(L"Ardentis", [&](HWND box) {
        shownText = wideText(GetDlgItem(box, 0xFFFF));
        owner = GetWindow(box, GW_OWNER);
        SendMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    });
    win32::Win32InfoBox info(dialog.handle());
    info.showInfo(g("房间中已经开始战斗了，请战后再来!"));
    ASSERT_TRUE(user.acted());
    EXPECT_EQ(shownText, L"房间中已经开始战斗了，请战后再来!");
    EXPECT_EQ(owner, dialog.handle());
}

using PasswordPromptTest = ControlsDialogTest;

TEST_F(PasswordPromptTest, OkReturnsTheTypedPasswordFromAMaskedEditAndCancelGivesNothing) {
    std::wstring prompt;
    bool masked = false;
    ModalDriver user(L"请输入密码", [&](HWND box) {
        prompt = wideText(GetDlgItem(box, win32::Win32PasswordPrompt::kPromptId));
        HWND edit = GetDlgItem(box, win32::Win32PasswordPrompt::kPasswordId);
        masked = (GetWindowLongPtrW(edit, GWL_STYLE) & ES_PASSWORD) != 0;
        for (const wchar_t c : std::wstring(L"密码12")) {
            SendMessageW(edit, WM_CHAR, c, 1);
        }
        SendMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    });
    win32::Win32PasswordPrompt passwords(dialog.handle());
    EXPECT_EQ(passwords.ask(g("请输入密码"), g("请输入房间密码")), g("密码12"));
    ASSERT_TRUE(user.acted());
    EXPECT_EQ(prompt, L"请输入房间密码");
    EXPECT_TRUE(masked);

    ModalDriver cancelling(L"请输入密码", [](HWND box) {
        SetDlgItemTextW(box, win32::Win32PasswordPrompt::kPasswordId, L"abc");
        SendMessageW(GetDlgItem(box, IDCANCEL), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(passwords.ask(g("请输入密码"), g("请输入房间密码")), std::nullopt);
    EXPECT_TRUE(cancelling.acted());
}

using OpenFileDialogTest = ControlsDialogTest;

TEST_F(OpenFileDialogTest, ReturnsTheChosenFileAndShowsTitleAndFilter) {
    // A file with a Chinese name in a fresh folder of the temporary directory.
    ScratchDirectory folder;
    folder.addFile(L"总指挥.exe");
    const std::wstring path = (folder.path() / L"总指挥.exe").wstring();
    std::wstring firstType;
    ModalDriver user(L"选择TA所在位置", [&](HWND box) {
        HWND types = GetDlgItem(box, kFileTypeList);
        wchar_t text[128] = {};
        SendMessageW(types, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text));
        firstType = text;
        SetDlgItemTextW(box, kFileNameBox, path.c_str());
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    win32::Win32OpenFileDialog files(dialog.handle());
    const auto chosen = files.run(g("选择TA所在位置"), g("TA执行文件|totala.exe"));
    ASSERT_TRUE(user.acted());
    EXPECT_EQ(firstType, L"TA执行文件");
    EXPECT_EQ(chosen, platform::wideToGbk(path).value());
}

}  // namespace
}  // namespace ardentis::testing
