#pragma once

#include <cstdint>
#include <string>

#include "controls/memo.h"
#include "ui/win32/dialog.h"

namespace ardentis::win32 {

enum class MemoAccess : std::uint8_t { Editable, ReadOnly };

// A multi-line EDIT or rich edit (ES_MULTILINE, or a constructor throws std::invalid_argument;
// a chat input also needs ES_WANTRETURN, a view WS_VSCROLL and ES_AUTOVSCROLL). Lines are the
// text's CR LF lines, not the wrapped rows on screen, so a long line reads back whole. A rich
// edit serves as a read-only view (it reports no typing), and only a rich edit ("RICHEDIT50W",
// registered by initCommonControls) shows highlighted lines, with a background colour that
// highlighted() reads back from the character format. Typing into an EDIT raises EN_CHANGE, which
// runs onChange. onKeyDown runs after the key's own effect: for Enter after its WM_CHAR has put the
// line break in, so the line just ended is the one above the caret; for other keys after their
// WM_KEYDOWN.
class Win32Memo final : public forms::Memo {
  public:
    Win32Memo(Dialog& dialog, int controlId, MemoAccess access = MemoAccess::Editable);
    ~Win32Memo() override;
    Win32Memo(const Win32Memo&) = delete;
    Win32Memo& operator=(const Win32Memo&) = delete;

    [[nodiscard]] text::Gbk text() const override;
    void setLineLimit(int lines) override { limit_ = lines; }
    void clear() override;
    [[nodiscard]] int lineCount() const override;
    [[nodiscard]] text::Gbk line(int index) const override;
    [[nodiscard]] bool highlighted(int index) const override;
    [[nodiscard]] int caretLine() const override;
    [[nodiscard]] bool enabled() const override;
    void setEnabled(bool enabled) override;

    [[nodiscard]] HWND handle() const noexcept { return control_; }

  protected:
    void applyText(const text::Gbk& text) override;
    // Appends at the end, after a CR LF unless the memo is empty, and scrolls to it; a
    // selection the user made stays (less what the line limit drops), to be copied.
    void appendLine(const text::Gbk& line, forms::LineMark mark) override;

  private:
    friend class MemoKeys;  // the subclass procedure

    void handleCommand(int code);
    void keyDown(int key) const;
    // The text as positions count it: a rich edit ends a line with CR alone.
    [[nodiscard]] std::wstring content() const;
    void select(std::size_t start, std::size_t end) const;
    void markSelection(forms::LineMark mark) const;

    HWND control_;
    bool rich_;
    wchar_t lineBreak_;
    int limit_ = 0;  // none
    bool sending_ = false;
    Dialog::Registration registration_;
};

}  // namespace ardentis::win32
