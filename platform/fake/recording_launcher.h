#pragma once

#include <functional>
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
        if (onLaunch) {
            onLaunch(launches_.back());
        }
        return {};
    }

    [[nodiscard]] const std::vector<Launch>& launches() const { return launches_; }
    std::function<void(const Launch&)> onLaunch;

  private:
    std::vector<Launch> launches_;
};

}  // namespace ardentis::platform
