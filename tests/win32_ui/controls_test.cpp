// The Win32 wrappers under the control contract on the tests' real dialog, and what only
// Win32 has: the text the window shows through the W API, styles, wrong templates refused,
// a handler's exception kept out of user32.
#include <windows.h>

#include <commctrl.h>

#include <array>
#include <stdexcept>
#include <string>

#include "platform/win32/wide_text.h"
#include "tests/forms/control_contract.h"
#include "tests/win32_ui/test_resource.h"
#include "tests/win32_ui/ui_test_support.h"
#include "ui/win32/handler_failure.h"
#include "ui/win32/win32_button.h"
#include "ui/win32/win32_check_box.h"
#include "ui/win32/win32_drop_down.h"
#include "ui/win32/win32_edit.h"
#include "ui/win32/win32_label.h"
#include "ui/win32/win32_list_view.h"
#include "ui/win32/win32_memo.h"
#include "ui/win32/win32_radio_group.h"
#include "ui/win32/win32_slider.h"

namespace ardentis::testing {
namespace {

using namespace win32;

void type(HWND control, const text::Gbk& typed) {
    const std::wstring wide = platform::gbkToWideLossy(typed.view());
    for (const wchar_t c : wide) {
        SendMessageW(control, WM_CHAR, c, 1);
    }
}

void key(HWND control, WPARAM key) {
    SendMessageW(control, WM_KEYDOWN, key, 1);
    SendMessageW(control, WM_KEYUP, key, 1);
}

// A click as the user makes it; a disabled button still gets the command Enter sends.
void click(HWND button) {
    SendMessageW(button, BM_CLICK, 0, 0);
    if (IsWindowEnabled(button) == FALSE) {
        sendCommand(button, BN_CLICKED);
    }
}

const std::array kMaps{g("Gods of War 2"), g("彗星捕手"), g("Shore to Shore")};
const std::array kSight{g("真实视野"), g("圆形视野"), g("视野全开")};
const std::array kColumns{ListColumn{g("帐号"), 50}, ListColumn{g("昵称"), 50},
                          ListColumn{g("准备"), 30}};

class Win32World final : public ControlWorld {
  public:
    Win32World() { showDialog(dialog_); }
    forms::Button& button() override { return button_; }
    forms::Label& label() override { return label_; }
    forms::CheckBox& checkBox() override { return check_; }
    forms::RadioGroup& radio() override { return radio_; }
    forms::Slider& slider() override { return slider_; }
    forms::Edit& edit() override { return edit_; }
    forms::Memo& memo() override { return memo_; }
    forms::DropDown& dropDown() override { return maps_; }
    forms::ListView& list() override { return list_; }

    void clickButton() override { click(button_.handle()); }
    void clickCheckBox() override { click(check_.handle()); }
    void clickRadio(int index) override { click(radio_.button(index)); }
    void stepSliderLeft() override { key(slider_.handle(), VK_LEFT); }
    void typeIntoEdit(const text::Gbk& typed) override { type(edit_.handle(), typed); }
    void typeLineIntoMemo(const text::Gbk& typed) override {
        type(memo_.handle(), typed);
        SendMessageW(memo_.handle(), WM_KEYDOWN, VK_RETURN, 1);
        SendMessageW(memo_.handle(), WM_CHAR, L'\r', 1);
        SendMessageW(memo_.handle(), WM_KEYUP, VK_RETURN, 1);
    }
    void chooseNextInDropDown() override { key(maps_.handle(), VK_DOWN); }
    void clickRow(int row) override {
        RECT bounds{};
        bounds.left = LVIR_BOUNDS;
        SendMessageW(list_.handle(), LVM_GETITEMRECT, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&bounds));
        const LPARAM point =
            MAKELPARAM((bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2);
        // The release is queued first: the list view looks for it before it reports.
        PostMessageW(list_.handle(), WM_LBUTTONUP, 0, point);
        SendMessageW(list_.handle(), WM_LBUTTONDOWN, MK_LBUTTON, point);
        runPending();
    }
    void doubleClickRow(int row) override { sendItemNotify(list_.handle(), NM_DBLCLK, row); }

  private:
    Dialog dialog_{controlsTemplate()};
    Win32Button button_{dialog_, IDC_BUTTON};
    Win32Label label_{dialog_, IDC_LABEL};
    Win32CheckBox check_{dialog_, IDC_CHECK};
    Win32RadioGroup radio_{dialog_, IDC_GROUP, IDC_GROUP_ITEMS, kSight, 1, 3};
    Win32Slider slider_{dialog_, IDC_SLIDER, 0, 10, 1};
    Win32Edit edit_{dialog_, IDC_EDIT};
    Win32Memo memo_{dialog_, IDC_MEMO};
    Win32DropDown maps_{dialog_, IDC_DROPDOWN, kMaps, 0};
    Win32ListView list_{dialog_, IDC_LIST, kColumns};
};

INSTANTIATE_TEST_SUITE_P(Win32, ControlContract,
                         ::testing::Values(&makeWorld<Win32World, ControlWorld>), WorldName());
INSTANTIATE_TEST_SUITE_P(Win32, ListViewTest,
                         ::testing::Values(&makeWorld<Win32World, ControlWorld>), WorldName());

using WrapperTest = ControlsDialogTest;

TEST_F(WrapperTest, TextsShowThroughTheWideApiAndStylesDoWhatTheUserSees) {
    Win32Button button(dialog, IDC_BUTTON);
    button.setCaption(g("作战指挥室"));
    EXPECT_EQ(wideText(button.handle()), L"作战指挥室");
    Win32Label label(dialog, IDC_LABEL);
    label.setCaption(g("用户:张三 R&D"));
    EXPECT_EQ(wideText(label.handle()), L"用户:张三 R&D");
    EXPECT_NE(GetWindowLongPtrW(label.handle(), GWL_STYLE) & SS_NOPREFIX, 0) << "& shows as is";
    Win32Edit password(dialog, IDC_EDIT, EditEcho::Masked);
    EXPECT_EQ(SendMessageW(password.handle(), EM_GETPASSWORDCHAR, 0, 0), L'*');
    SetWindowTextW(password.handle(), L"a\u20A9b");  // the won sign is not in GBK
    EXPECT_EQ(password.text(), g("a?b"));
    Win32ListView rooms(dialog, IDC_LIST, kColumns);
    EXPECT_EQ(rooms.columnCaption(2), g("准备"));
    rooms.addRow(g("房间"), {g("说明")});
    wchar_t cell[16] = {};
    LVITEMW item{};
    item.iSubItem = 1;
    item.pszText = cell;
    item.cchTextMax = 16;
    SendMessageW(rooms.handle(), LVM_GETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(std::wstring(cell), L"说明");

    Win32Memo view(dialog, IDC_VIEW_MEMO, MemoAccess::ReadOnly);
    view.setText(g("上\n下"));
    EXPECT_EQ(wideText(view.handle()), L"上\r\n下");
    std::string longLine;
    for (int i = 0; i < 40; ++i) {
        longLine += "很长的聊天内容";
    }
    view.setText(g(longLine));
    ASSERT_GT(SendMessageW(view.handle(), EM_GETLINECOUNT, 0, 0), 1);  // the control wraps it
    EXPECT_EQ(view.lineCount(), 1);
    Runs runs;
    runs.wire(view.onChange);
    type(view.handle(), g("x"));
    EXPECT_EQ(runs.count, 0) << "a read-only view takes no typing";

    Win32Button picture(dialog, IDC_PICTURE);  // a clickable picture
    runs.wire(picture.onClick);
    SendMessageW(picture.handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageW(picture.handle(), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    EXPECT_EQ(runs.count, 1);
}

TEST_F(WrapperTest, WrongTemplatesAndIdsAreRefused) {
    EXPECT_THROW(Win32CheckBox(dialog, IDC_PLAIN_CHECK), std::invalid_argument);
    EXPECT_THROW(Win32Memo(dialog, IDC_EDIT), std::invalid_argument);
    EXPECT_THROW((void)dialog.item(4242), std::invalid_argument);
    EXPECT_THROW(Dialog(4242), std::runtime_error);
    Win32Button first(dialog, IDC_BUTTON);
    EXPECT_THROW(Win32Button(dialog, IDC_BUTTON), std::logic_error);
}

TEST_F(WrapperTest, HandlerExceptionIsReportedAndStaysOutOfUser32) {
    std::string reported;
    setFailureSink([&](const std::string& message) { reported = message; });
    Win32Button button(dialog, IDC_BUTTON);
    button.onClick.set([] { throw std::runtime_error("boom"); });
    SendMessageW(button.handle(), BM_CLICK, 0, 0);
    setFailureSink(nullptr);
    EXPECT_NE(reported.find("boom"), std::string::npos) << reported;
    EXPECT_TRUE(IsWindow(dialog.handle()));
}

}  // namespace
}  // namespace ardentis::testing
