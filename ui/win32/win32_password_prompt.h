#pragma once

#include "controls/password_prompt.h"
#include "ui/win32/hwnd_fwd.h"

namespace ardentis::win32 {

// The modal password prompt: a small dialog built in memory (no resource, so the library
// carries it) with the caption, the prompt, a masked edit and OK / Cancel, owned by the
// given window or the thread's active one. Cancel, Esc or the close box give nothing.
class Win32PasswordPrompt final : public forms::PasswordPrompt {
  public:
    // The control ids of the dialog, for tests that drive it.
    static constexpr int kPromptId = 100;
    static constexpr int kPasswordId = 101;

    explicit Win32PasswordPrompt(HWND owner = nullptr) : owner_(owner) {}

    void setOwner(HWND owner) noexcept { owner_ = owner; }
    [[nodiscard]] std::optional<text::Gbk> ask(const text::Gbk& caption,
                                               const text::Gbk& prompt) override;

  private:
    HWND owner_;
};

}  // namespace ardentis::win32
