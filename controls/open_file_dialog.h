#pragma once

#include <optional>

#include "text/gbk.h"

namespace ardentis::forms {

// The modal open-file dialog with its title and filter ("description|pattern"): the chosen
// file's full name, or nothing when it was cancelled.
class OpenFileDialog {
  public:
    virtual ~OpenFileDialog() = default;
    [[nodiscard]] virtual std::optional<text::Gbk> run(const text::Gbk& title,
                                                       const text::Gbk& filter) = 0;
};

}  // namespace ardentis::forms
