#pragma once

#include "platform/process_launcher.h"

namespace ardentis::platform {

// ShellExecuteW with no verb, no owner window and no working directory.
class Win32ProcessLauncher final : public ProcessLauncher {
  public:
    [[nodiscard]] std::expected<void, OsError> shellExecute(const text::Gbk& path,
                                                            const text::Gbk& parameters,
                                                            WindowMode mode) override;
};

}  // namespace ardentis::platform
