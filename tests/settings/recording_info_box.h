#pragma once

#include <vector>

#include "platform/info_box.h"

namespace ardentis::testing {

// Keeps every message shown, in order, and returns at once as if OK was pressed.
class RecordingInfoBox final : public platform::InfoBox {
  public:
    void showInfo(const text::Gbk& message) override { shown.push_back(message); }
    std::vector<text::Gbk> shown;
};

}  // namespace ardentis::testing
