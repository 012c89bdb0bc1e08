#pragma once

#include <optional>

#include "text/gbk.h"

namespace ardentis::forms {

// The modal password prompt: the typed text, or nothing when it was cancelled.
class PasswordPrompt {
  public:
    virtual ~PasswordPrompt() = default;
    [[nodiscard]] virtual std::optional<text::Gbk> ask(const text::Gbk& caption,
                                                       const text::Gbk& prompt) = 0;
};

}  // namespace ardentis::forms
