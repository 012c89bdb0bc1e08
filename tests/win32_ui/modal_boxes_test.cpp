#include <windows.h>

#include <commdlg.h>

#include <functional>
#include <string>

#include "platform/win32/wide_text.h"
#include "platform/win32/win32_event_loop.h"
#include "tests/win32_ui/test_resource.h"
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

struct Found {
    const wchar_t* caption;
    HWND window = nullptr;
};

BOOL CALLBACK findByCaption(HWND window, LPARAM lParam) {
    auto& found = *reinterpret_cast<Found*>(lParam);
    if (wideText(window) == found.caption && IsWindowVisible(window)) {
        found.window = window;
        return FALSE;
    }
    return TRUE;
}

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
        Found found{caption_};
        EnumThreadWindows(GetCurrentThreadId(), &findByCaption, reinterpret_cast<LPARAM>(&found));
        if (found.window != nullptr) {
            timer_->setEnabled(false);
            acted_ = true;
            act_(found.window);
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

int countButtons(HWND window) {
    int buttons = 0;
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t name[32] = {};
        GetClassNameW(child, name, 32);
        if (std::wstring(name) == L"Button" && IsWindowVisible(child)) {
            ++buttons;
        }
    }
    return buttons;
}

using InfoBoxTest = ControlsDialogTest;

TEST_F(InfoBoxTest, ShowsTheMessageWithOneOkButtonAndTheProgramsCaption) {
    std::wstring shownText;
    HWND owner = nullptr;
    int buttons = 0;
    ModalDriver user(L"Ardentis", [&](HWND box) {
        shownText = wideText(GetDlgItem(box, 0xFFFF));
        owner = GetWindow(box, GW_OWNER);
        buttons = countButtons(box);
        SendMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    });
    win32::Win32InfoBox info(dialog.handle());

    info.showInfo(g("房间中已经开始战斗了，请战后再来!"));

    ASSERT_TRUE(user.acted());
    EXPECT_EQ(shownText, L"房间中已经开始战斗了，请战后再来!");
    EXPECT_EQ(owner, dialog.handle());
    EXPECT_EQ(buttons, 1);
}

using PasswordPromptTest = ControlsDialogTest;

TEST_F(PasswordPromptTest, OkReturnsTheTypedPasswordFromAMaskedEdit) {
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

    const auto answer = passwords.ask(g("请输入密码"), g("请输入房间密码"));

    ASSERT_TRUE(user.acted());
    EXPECT_EQ(prompt, L"请输入房间密码");
    EXPECT_TRUE(masked);
    EXPECT_EQ(answer, g("密码12"));
}

TEST_F(PasswordPromptTest, CancelGivesNothing) {
    ModalDriver user(L"请输入密码", [](HWND box) {
        SetDlgItemTextW(box, win32::Win32PasswordPrompt::kPasswordId, L"abc");
        SendMessageW(GetDlgItem(box, IDCANCEL), BM_CLICK, 0, 0);
    });
    win32::Win32PasswordPrompt passwords(dialog.handle());

    const auto answer = passwords.ask(g("请输入密码"), g("请输入房间密码"));

    ASSERT_TRUE(user.acted());
    EXPECT_EQ(answer, std::nullopt);
}

TEST_F(PasswordPromptTest, CloseBoxGivesNothing) {
    ModalDriver user(L"请输入密码", [](HWND box) { PostMessageW(box, WM_CLOSE, 0, 0); });
    win32::Win32PasswordPrompt passwords(dialog.handle());

    EXPECT_EQ(passwords.ask(g("请输入密码"), g("请输入房间密码")), std::nullopt);
    EXPECT_TRUE(user.acted());
}

TEST_F(PasswordPromptTest, EmptyPasswordIsAnAnswer) {
    ModalDriver user(L"请输入密码",
                     [](HWND box) { SendMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0); });
    win32::Win32PasswordPrompt passwords(dialog.handle());

    EXPECT_EQ(passwords.ask(g("请输入密码"), g("请输入房间密码")), text::Gbk());
}

// A file with a Chinese name in a fresh folder of the temporary directory.
class ChosenFile {
  public:
    ChosenFile() {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        folder_ = std::wstring(temp) + L"ardentis_open_" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(folder_.c_str(), nullptr);
        path_ = folder_ + L"\\总指挥.exe";
        HANDLE file = CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        CloseHandle(file);
    }
    ~ChosenFile() {
        DeleteFileW(path_.c_str());
        RemoveDirectoryW(folder_.c_str());
    }
    ChosenFile(const ChosenFile&) = delete;
    ChosenFile& operator=(const ChosenFile&) = delete;

    [[nodiscard]] const std::wstring& path() const { return path_; }

  private:
    std::wstring folder_;
    std::wstring path_;
};

using OpenFileDialogTest = ControlsDialogTest;

TEST_F(OpenFileDialogTest, ReturnsTheChosenFileAndShowsTitleAndFilter) {
    const ChosenFile file;
    std::wstring firstType;
    ModalDriver user(L"选择TA所在位置", [&](HWND box) {
        HWND types = GetDlgItem(box, kFileTypeList);
        wchar_t text[128] = {};
        SendMessageW(types, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text));
        firstType = text;
        SetDlgItemTextW(box, kFileNameBox, file.path().c_str());
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    win32::Win32OpenFileDialog files(dialog.handle());

    const auto chosen = files.run(g("选择TA所在位置"), g("TA执行文件|totala.exe"));

    ASSERT_TRUE(user.acted());
    EXPECT_EQ(firstType, L"TA执行文件");
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, platform::wideToGbk(file.path()).value());
}

TEST_F(OpenFileDialogTest, CancelGivesNothing) {
    ModalDriver user(L"选择最高指挥官所在位置",
                     [](HWND box) { PostMessageW(box, WM_COMMAND, IDCANCEL, 0); });
    win32::Win32OpenFileDialog files(dialog.handle());

    const auto chosen =
        files.run(g("选择最高指挥官所在位置"), g("最高指挥官执行文件|supremecommander.exe"));

    EXPECT_TRUE(user.acted());
    EXPECT_EQ(chosen, std::nullopt);
}

}  // namespace
}  // namespace ardentis::testing
