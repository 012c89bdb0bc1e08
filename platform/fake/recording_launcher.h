#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "platform/process_launcher.h"

namespace ardentis::platform {

struct Launch {
    text::Gbk path;
    text::Gbk parameters;
    WindowMode mode = WindowMode::Normal;
    friend bool operator==(const Launch&, const Launch&) = default;
};

// Records every start; what a start brings about (a simulated game opening its window) is
// up to onLaunch. Without it, nothing starts, as when the executable cannot run.
class RecordingLauncher final : public ProcessLauncher {
  public:
    [[nodiscard]] std::expected<void, OsError> shellExecute(const text::Gbk& path,
                                                            const text::Gbk& parameters,
                                                            WindowMode mode) override {
        launches_.push_back(Launch{path, parameters, mode});
        if (refusal) {
            return std::unexpected(*refusal);
        }
        if (onLaunch) {
            onLaunch(launches_.back());
        }
        return {};
    }

    [[nodiscard]] const std::vector<Launch>& launches() const { return launches_; }
    std::function<void(const Launch&)> onLaunch;
    // Set: the shell refuses every start with this error (a missing or broken executable).
    std::optional<OsError> refusal;

  private:
    std::vector<Launch> launches_;
};

}  // namespace ardentis::platform
