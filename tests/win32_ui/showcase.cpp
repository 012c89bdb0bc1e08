// Shows the tests' controls dialog filled with Chinese texts through the wrappers, for a
// screenshot taken from outside: prints READY once the dialog is painted and ends when a
// line (or the end) arrives on standard input, or after a bounded wait.
#include <windows.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>
#include <thread>

#include "platform/win32/win32_event_loop.h"
#include "tests/win32_ui/test_resource.h"
#include "text/code_page.h"
#include "ui/win32/common_controls.h"
#include "ui/win32/dialog.h"
#include "ui/win32/dialog_font.h"
#include "ui/win32/win32_button.h"
#include "ui/win32/win32_check_box.h"
#include "ui/win32/win32_drop_down.h"
#include "ui/win32/win32_edit.h"
#include "ui/win32/win32_label.h"
#include "ui/win32/win32_list_view.h"
#include "ui/win32/win32_memo.h"
#include "ui/win32/win32_page.h"
#include "ui/win32/win32_radio_group.h"
#include "ui/win32/win32_slider.h"
#include "ui/win32/win32_tab_control.h"
#include "ui/win32/win32_window.h"

namespace {

using ardentis::text::gbk;
using namespace ardentis::win32;

constexpr auto kLongestShow = std::chrono::seconds(60);

int showcase() {
    initCommonControls();
    ardentis::platform::Win32EventLoop loop;
    Dialog dialog(IDD_CONTROLS);
    Win32Window window(dialog);
    Win32Button button(dialog, IDC_BUTTON);
    Win32Label label(dialog, IDC_LABEL);
    Win32CheckBox ready(dialog, IDC_CHECK);
    const std::array sight{gbk("真实视野"), gbk("圆形视野"), gbk("视野全开")};
    Win32RadioGroup group(dialog, IDC_GROUP, IDC_GROUP_ITEMS, sight, 0, 3);
    Win32Slider slider(dialog, IDC_SLIDER, 1, 10, 10);
    Win32Edit edit(dialog, IDC_EDIT);
    Win32Memo input(dialog, IDC_MEMO);
    Win32Memo chat(dialog, IDC_VIEW_MEMO, MemoAccess::ReadOnly);
    const std::array maps{gbk("众神之战 2"), gbk("Comet Catcher"), gbk("Shore to Shore")};
    Win32DropDown mapList(dialog, IDC_DROPDOWN, maps, 0);
    const std::array columns{ListColumn{gbk("帐号"), 60}, ListColumn{gbk("昵称"), 60},
                             ListColumn{gbk("准备"), 50}};
    Win32ListView players(dialog, IDC_LIST, columns);
    Win32TabControl tabs(dialog, IDC_TABS);
    Dialog basicPage(IDD_PAGE, dialog);
    Dialog optionsPage(IDD_PAGE, dialog);
    Win32Page basic(tabs, basicPage, 0, gbk("基本设置"));
    Win32Page options(tabs, optionsPage, 1, gbk("房间管理"));

    window.setCaption(gbk("作战指挥室"));
    label.setCaption(gbk("用户:张三 位置:大厅"));
    ready.setChecked(true);
    edit.setText(gbk("欢迎加入战斗"));
    input.setText(gbk("准备好了吗"));
    chat.addLine(gbk("系统消息: 欢迎来到游戏大厅"));
    chat.addLine(gbk("张三: 请输入房间密码"));
    players.addRow(gbk("zhangsan"), {gbk("张三"), gbk("就绪")});
    players.addRow(gbk("lisi"), {gbk("李四"), gbk("等待")});
    SetWindowPos(dialog.handle(), HWND_TOP, 20, 20, 0, 0, SWP_NOSIZE);
    window.show();
    UpdateWindow(dialog.handle());
    (void)loop.runUntil([] { return false; }, std::chrono::milliseconds(500));

    const std::wstring& face = chineseFace();
    std::string faceUtf8(face.size() * 4, '\0');
    faceUtf8.resize(static_cast<std::size_t>(
        WideCharToMultiByte(CP_UTF8, 0, face.c_str(), static_cast<int>(face.size()),
                            faceUtf8.data(), static_cast<int>(faceUtf8.size()), nullptr, nullptr)));
    std::cout << "font face: " << faceUtf8 << std::endl;
    std::cout << "READY" << std::endl;
    bool done = false;
    std::thread waiter([&] {
        std::string line;
        std::getline(std::cin, line);
        loop.post([&] { done = true; });
    });
    const bool told = loop.runUntil([&] { return done; }, kLongestShow);
    if (!told) {
        std::cerr << "showcase: no word on standard input\n";
        waiter.detach();
        return 2;
    }
    waiter.join();
    return 0;
}

}  // namespace

int main() {
    try {
        return showcase();
    } catch (const std::exception& error) {
        std::cerr << "showcase: " << error.what() << '\n';
        return 1;
    }
}
