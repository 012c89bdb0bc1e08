#include <windows.h>

#include <commctrl.h>
#include <richedit.h>

#include "ui/win32/win32_memo.h"

#include <algorithm>
#include <array>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "platform/win32/wide_text.h"
#include "ui/win32/handler_failure.h"
#include "ui/win32/sending_scope.h"
#include "ui/win32/window_text.h"

namespace ardentis::win32 {
namespace {

constexpr UINT_PTR kSubclassId = 1;
// Light yellow behind a line that names the user: the default dark text stays readable on it.
constexpr COLORREF kHighlight = RGB(255, 240, 140);
// A rich edit takes 32,767 characters unless told otherwise; a chat view's 2,000 lines need more.
constexpr LPARAM kRichTextLimit = LPARAM{16} * 1024 * 1024;

bool isRichEdit(HWND control) {
    std::array<wchar_t, 32> name{};
    GetClassNameW(control, name.data(), static_cast<int>(name.size()));
    return lstrcmpiW(name.data(), MSFTEDIT_CLASS) == 0 ||
           lstrcmpiW(name.data(), RICHEDIT_CLASSW) == 0;
}

// Where line `index` starts and ends in `all`, whose lines end with `lineBreak`; without a
// trailing CR.
std::optional<std::pair<std::size_t, std::size_t>> lineSpan(std::wstring_view all, int index,
                                                            wchar_t lineBreak) {
    if (index < 0 || all.empty()) {
        return std::nullopt;
    }
    std::size_t start = 0;
    for (int skipped = 0; skipped < index; ++skipped) {
        const std::size_t end = all.find(lineBreak, start);
        if (end == std::wstring_view::npos) {
            return std::nullopt;
        }
        start = end + 1;
    }
    std::size_t end = std::min(all.find(lineBreak, start), all.size());
    if (end > start && all[end - 1] == L'\r') {
        --end;
    }
    return std::pair{start, end};
}

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
      rich_(isRichEdit(control_)),
      lineBreak_(rich_ ? L'\r' : L'\n'),
      registration_(
          dialog.route(controlId, {.command = [this](int code) { handleCommand(code); }})) {
    if ((GetWindowLongPtrW(control_, GWL_STYLE) & ES_MULTILINE) == 0) {
        throw std::invalid_argument("memo " + std::to_string(controlId) +
                                    " is not an ES_MULTILINE edit");
    }
    if (rich_) {
        SendMessageW(control_, EM_EXLIMITTEXT, 0, kRichTextLimit);
    } else {
        SendMessageW(control_, EM_SETLIMITTEXT, 0, 0);  // 0: as much as the system allows
    }
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
    if (!rich_) {
        return windowText(control_);
    }
    std::wstring all = content();
    std::wstring crLf;
    crLf.reserve(all.size());
    for (const wchar_t c : all) {
        crLf += c;
        if (c == L'\r') {
            crLf += L'\n';
        }
    }
    return platform::wideToGbkLossy(crLf);
}

std::wstring Win32Memo::content() const {
    if (!rich_) {
        return wideWindowText(control_);
    }
    GETTEXTLENGTHEX length{GTL_NUMCHARS | GTL_PRECISE, 1200};
    const LRESULT characters =
        SendMessageW(control_, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0);
    if (characters <= 0) {
        return {};
    }
    std::wstring all(static_cast<std::size_t>(characters) + 1, L'\0');
    GETTEXTEX query{};
    query.cb = static_cast<DWORD>(all.size() * sizeof(wchar_t));
    query.flags = GT_DEFAULT;
    query.codepage = 1200;  // UTF-16
    const LRESULT copied = SendMessageW(control_, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&query),
                                        reinterpret_cast<LPARAM>(all.data()));
    all.resize(static_cast<std::size_t>(std::max<LRESULT>(copied, 0)));
    return all;
}

void Win32Memo::select(std::size_t start, std::size_t end) const {
    SendMessageW(control_, EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(end));
}

void Win32Memo::markSelection(forms::LineMark mark) const {
    if (!rich_) {
        return;
    }
    CHARFORMAT2W format{};
    format.cbSize = sizeof format;
    format.dwMask = CFM_BACKCOLOR;
    format.dwEffects = mark == forms::LineMark::Highlight ? 0 : CFE_AUTOBACKCOLOR;
    format.crBackColor = kHighlight;
    SendMessageW(control_, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
}

void Win32Memo::appendLine(const text::Gbk& line, forms::LineMark mark) {
    const SendingScope scope(sending_);
    DWORD keptStart = 0;
    DWORD keptEnd = 0;
    SendMessageW(control_, EM_GETSEL, reinterpret_cast<WPARAM>(&keptStart),
                 reinterpret_cast<LPARAM>(&keptEnd));
    const std::size_t length = content().size();
    std::wstring added = withCrLf(platform::gbkToWideLossy(line.view()));
    if (length > 0) {
        added.insert(0, L"\r\n");
    }
    select(length, length);
    SendMessageW(control_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(added.c_str()));
    // The new text would take the format of the text before it; it gets its own.
    std::wstring all = content();
    select(length, all.size());
    markSelection(mark);
    std::size_t cut = 0;
    if (limit_ > 0) {
        // Lines are counted by their breaks, not as the box wraps them.
        const auto lines = static_cast<int>(std::ranges::count(all, lineBreak_)) + 1;
        for (int dropped = 0; dropped < lines - limit_; ++dropped) {
            cut = all.find(lineBreak_, cut) + 1;
        }
        if (cut > 0) {
            select(0, cut);
            SendMessageW(control_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
            all.erase(0, cut);
        }
    }
    if (keptStart != keptEnd && keptEnd > cut) {
        // The user's selection stays to be copied (less what the bound dropped) while the
        // view still follows the newest line.
        select(std::max<std::size_t>(keptStart, cut) - cut, keptEnd - cut);
        SendMessageW(control_, WM_VSCROLL, SB_BOTTOM, 0);
    } else {
        select(all.size(), all.size());
        SendMessageW(control_, EM_SCROLLCARET, 0, 0);
    }
}

void Win32Memo::clear() {
    const SendingScope scope(sending_);
    SetWindowTextW(control_, L"");
}

int Win32Memo::lineCount() const {
    const std::wstring all = content();
    return all.empty() ? 0 : static_cast<int>(std::ranges::count(all, lineBreak_)) + 1;
}

text::Gbk Win32Memo::line(int index) const {
    const std::wstring all = content();
    const auto span = lineSpan(all, index, lineBreak_);
    return span ? platform::wideToGbkLossy(
                      std::wstring_view(all).substr(span->first, span->second - span->first))
                : text::Gbk();
}

bool Win32Memo::highlighted(int index) const {
    const auto span = rich_ ? lineSpan(content(), index, lineBreak_) : std::nullopt;
    if (!span) {
        return false;
    }
    // The format is read through the selection; the user's selection and view come back.
    CHARRANGE kept{};
    POINT scroll{};
    SendMessageW(control_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&kept));
    SendMessageW(control_, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll));
    select(span->first, span->second);
    CHARFORMAT2W format{};
    format.cbSize = sizeof format;
    SendMessageW(control_, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    SendMessageW(control_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&kept));
    SendMessageW(control_, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll));
    return (format.dwMask & CFM_BACKCOLOR) != 0 && (format.dwEffects & CFE_AUTOBACKCOLOR) == 0 &&
           format.crBackColor == kHighlight;
}

int Win32Memo::caretLine() const {
    DWORD start = 0;
    SendMessageW(control_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
    const std::wstring all = content();
    const auto end =
        all.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(start, all.size()));
    return static_cast<int>(std::count(all.begin(), end, lineBreak_));
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
