#pragma once

#include <utility>

namespace ardentis::win32 {

// Marks a wrapper as sending to its control, so that the notifications the control raises
// meanwhile (EN_CHANGE for WM_SETTEXT, LVN_ITEMCHANGED for a selection) are dropped: the
// control interfaces, not the controls, decide which handler a programmatic change runs.
class SendingScope {
  public:
    explicit SendingScope(bool& sending) : sending_(sending), was_(std::exchange(sending, true)) {}
    ~SendingScope() { sending_ = was_; }
    SendingScope(const SendingScope&) = delete;
    SendingScope& operator=(const SendingScope&) = delete;

  private:
    bool& sending_;
    bool was_;
};

}  // namespace ardentis::win32
