#include <windows.h>

#include <commctrl.h>

#include "ui/win32/win32_memo.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/win32/wide_text.h"
#include "ui/win32/handler_failure.h"
#include "ui/win32/sending_scope.h"
#include "ui/win32/window_text.h"

namespace ardentis::win32 {
namespace {

constexpr UINT_PTR kSubclassId = 1;

// The edit control wants CR LF between lines; the core may hand over bare LF.
std::wstring withCrLf(std::wstring_view text) {
    std::wstring result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r')) {
            result += L'\r';
        }
        result += text[i];
    }
    return result;
}

}  // namespace

// Raises onKeyDown once the edit control has handled the key.
class MemoKeys {
  public:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR data) {
        if (message == WM_NCDESTROY) {
            RemoveWindowSubclass(window, &MemoKeys::procedure, id);
            return DefSubclassProc(window, message, wParam, lParam);
        }
        const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
        const bool enter = message == WM_CHAR && wParam == L'\r';
        const bool otherKey = message == WM_KEYDOWN && wParam != VK_RETURN;
        if (enter || otherKey) {
            try {
                reinterpret_cast<const Win32Memo*>(data)->keyDown(enter ? forms::Memo::kEnter
                                                                        : static_cast<int>(wParam));
            } catch (...) {
                reportCurrentException("memo " + std::to_string(GetDlgCtrlID(window)));
            }
        }
        return result;
    }
};

Win32Memo::Win32Memo(Dialog& dialog, int controlId, MemoAccess access)
    : control_(dialog.item(controlId)),
      registration_(
          dialog.route(controlId, {.command = [this](int code) { handleCommand(code); }})) {
    if ((GetWindowLongPtrW(control_, GWL_STYLE) & ES_MULTILINE) == 0) {
        throw std::invalid_argument("memo " + std::to_string(controlId) +
                                    " is not an ES_MULTILINE edit");
    }
    SendMessageW(control_, EM_SETLIMITTEXT, 0, 0);  // 0: as much as the system allows
    if (access == MemoAccess::ReadOnly) {
        SendMessageW(control_, EM_SETREADONLY, TRUE, 0);
    }
    SetWindowSubclass(control_, &MemoKeys::procedure, kSubclassId,
                      reinterpret_cast<DWORD_PTR>(this));
}

Win32Memo::~Win32Memo() {
    RemoveWindowSubclass(control_, &MemoKeys::procedure, kSubclassId);
}

text::Gbk Win32Memo::text() const {
    return windowText(control_);
}

void Win32Memo::addLine(const text::Gbk& line) {
    const SendingScope scope(sending_);
    const int length = GetWindowTextLengthW(control_);
    std::wstring added = withCrLf(platform::gbkToWideLossy(line.view()));
    if (length > 0) {
        added.insert(0, L"\r\n");
    }
    SendMessageW(control_, EM_SETSEL, static_cast<WPARAM>(length), length);
    SendMessageW(control_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(added.c_str()));
    if (limit_ > 0) {
        // Lines are counted by their breaks, not as the box wraps them.
        const std::wstring all = wideWindowText(control_);
        const auto lines = static_cast<int>(std::count(all.begin(), all.end(), L'\n')) + 1;
        std::size_t cut = 0;
        for (int dropped = 0; dropped < lines - limit_; ++dropped) {
            cut = all.find(L'\n', cut) + 1;
        }
        if (cut > 0) {
            SendMessageW(control_, EM_SETSEL, 0, static_cast<LPARAM>(cut));
            SendMessageW(control_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
            const int end = GetWindowTextLengthW(control_);
            SendMessageW(control_, EM_SETSEL, static_cast<WPARAM>(end), end);
        }
    }
    SendMessageW(control_, EM_SCROLLCARET, 0, 0);
}

void Win32Memo::clear() {
    const SendingScope scope(sending_);
    SetWindowTextW(control_, L"");
}

int Win32Memo::lineCount() const {
    const std::wstring all = wideWindowText(control_);
    return all.empty() ? 0 : static_cast<int>(std::count(all.begin(), all.end(), L'\n')) + 1;
}

text::Gbk Win32Memo::line(int index) const {
    const std::wstring all = wideWindowText(control_);
    if (index < 0 || all.empty()) {
        return {};
    }
    std::size_t start = 0;
    for (int skipped = 0; skipped < index; ++skipped) {
        const std::size_t end = all.find(L'\n', start);
        if (end == std::wstring::npos) {
            return {};
        }
        start = end + 1;
    }
    const std::size_t end = all.find(L'\n', start);
    std::wstring_view piece =
        std::wstring_view(all).substr(start, end == std::wstring::npos ? end : end - start);
    if (piece.ends_with(L'\r')) {
        piece.remove_suffix(1);
    }
    return platform::wideToGbkLossy(piece);
}

int Win32Memo::caretLine() const {
    DWORD start = 0;
    SendMessageW(control_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
    const std::wstring all = wideWindowText(control_);
    const auto end =
        all.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(start, all.size()));
    return static_cast<int>(std::count(all.begin(), end, L'\n'));
}

bool Win32Memo::enabled() const {
    return IsWindowEnabled(control_) != FALSE;
}

void Win32Memo::setEnabled(bool enabled) {
    EnableWindow(control_, enabled ? TRUE : FALSE);
}

void Win32Memo::applyText(const text::Gbk& text) {
    const SendingScope scope(sending_);
    const std::wstring wide = withCrLf(platform::gbkToWideLossy(text.view()));
    SetWindowTextW(control_, wide.c_str());
}

void Win32Memo::handleCommand(int code) {
    if (code == EN_CHANGE && !sending_) {
        onChange();
    }
}

void Win32Memo::keyDown(int key) const {
    if (onKeyDown) {
        onKeyDown(key);
    }
}

}  // namespace ardentis::win32
