#include <windows.h>

#include "ui/win32/win32_password_prompt.h"

#include <string>
#include <string_view>
#include <vector>

#include "platform/win32/wide_text.h"
#include "text/shown.h"
#include "ui/win32/dialog_font.h"
#include "ui/win32/handler_failure.h"
#include "ui/win32/window_text.h"

namespace ardentis::win32 {
namespace {

// Class atoms of the predefined controls in a dialog template.
constexpr WORD kButtonAtom = 0x0080;
constexpr WORD kEditAtom = 0x0081;
constexpr WORD kStaticAtom = 0x0082;

struct PromptState {
    std::wstring caption;
    std::wstring prompt;
    std::optional<text::Gbk> answer;
    UniqueFont font;
};

// A DLGTEMPLATE and its items, laid out word by word as DialogBoxIndirectParamW reads them.
class TemplateWriter {
  public:
    void header(DWORD style, WORD items, short width, short height) {
        dword(style);
        dword(0);  // extended style
        words_.push_back(items);
        position(0, 0, width, height);
        words_.push_back(0);  // no menu
        words_.push_back(0);  // the dialog class
        words_.push_back(0);  // no title: set at WM_INITDIALOG
        words_.push_back(9);  // point size of the layout font
        text(L"MS Shell Dlg");
    }
    void item(DWORD style, short x, short y, short width, short height, WORD id, WORD atom,
              std::wstring_view title) {
        if (words_.size() % 2 != 0) {
            words_.push_back(0);  // items start on a DWORD boundary
        }
        dword(style | WS_CHILD | WS_VISIBLE);
        dword(0);
        position(x, y, width, height);
        words_.push_back(id);
        words_.push_back(0xFFFF);
        words_.push_back(atom);
        text(title);
        words_.push_back(0);  // no creation data
    }
    [[nodiscard]] const DLGTEMPLATE* data() const {
        return reinterpret_cast<const DLGTEMPLATE*>(words_.data());
    }

  private:
    void dword(DWORD value) {
        words_.push_back(LOWORD(value));
        words_.push_back(HIWORD(value));
    }
    void position(short x, short y, short width, short height) {
        for (const short value : {x, y, width, height}) {
            words_.push_back(static_cast<WORD>(value));
        }
    }
    void text(std::wstring_view value) {
        for (const wchar_t c : value) {
            words_.push_back(static_cast<WORD>(c));
        }
        words_.push_back(0);
    }

    std::vector<WORD> words_;
};

INT_PTR CALLBACK promptProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        if (message == WM_INITDIALOG) {
            SetWindowLongPtrW(dialog, GWLP_USERDATA, lParam);
            auto& state = *reinterpret_cast<PromptState*>(lParam);
            SetWindowTextW(dialog, state.caption.c_str());
            SetDlgItemTextW(dialog, Win32PasswordPrompt::kPromptId, state.prompt.c_str());
            state.font = createMessageFont(windowDpi(dialog));
            applyFont(dialog, state.font.get());
            return TRUE;
        }
        auto* state = reinterpret_cast<PromptState*>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
        if (message != WM_COMMAND || state == nullptr) {
            return FALSE;
        }
        if (LOWORD(wParam) == IDOK) {
            state->answer = platform::wideToGbkLossy(
                wideWindowText(GetDlgItem(dialog, Win32PasswordPrompt::kPasswordId)));
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
    } catch (...) {
        reportCurrentException("password prompt");
        EndDialog(dialog, IDCANCEL);
    }
    return FALSE;
}

}  // namespace

std::optional<text::Gbk> Win32PasswordPrompt::ask(const text::Gbk& caption,
                                                  const text::Gbk& prompt) {
    TemplateWriter dialog;
    dialog.header(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER, 4,
                  180, 66);
    dialog.item(SS_LEFT | SS_NOPREFIX, 7, 7, 166, 10, kPromptId, kStaticAtom, L"");
    dialog.item(ES_PASSWORD | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 20, 166, 13, kPasswordId,
                kEditAtom, L"");
    const std::wstring ok = platform::gbkToWideLossy(text::shown<"确定">().view());
    const std::wstring cancel = platform::gbkToWideLossy(text::shown<"取消">().view());
    dialog.item(BS_DEFPUSHBUTTON | WS_TABSTOP, 69, 45, 50, 14, IDOK, kButtonAtom, ok);
    dialog.item(BS_PUSHBUTTON | WS_TABSTOP, 123, 45, 50, 14, IDCANCEL, kButtonAtom, cancel);

    PromptState state{.caption = platform::gbkToWideLossy(caption.view()),
                      .prompt = platform::gbkToWideLossy(prompt.view()),
                      .answer = std::nullopt,
                      .font = nullptr};
    HWND owner = owner_ != nullptr ? owner_ : GetActiveWindow();
    const INT_PTR result =
        DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog.data(), owner, &promptProcedure,
                                reinterpret_cast<LPARAM>(&state));
    return result == IDOK ? std::move(state.answer) : std::nullopt;
}

}  // namespace ardentis::win32
