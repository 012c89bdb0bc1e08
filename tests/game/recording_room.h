#pragma once

#include <vector>

#include "controls/memory/memory_check_box.h"
#include "controls/memory/memory_list_view.h"
#include "game/game_room.h"
#include "text/gbk.h"

namespace ardentis::testing {

// The battle room as the game watchers see it, keeping what they did to it; the whole
// client's room is tested on the headless client.
class RecordingRoom final : public game::GameRoom {
  public:
    void sendTAstart() override { ++startCalls; }
    void clearStartFlags() override { ++clearCalls; }
    void setStartGuard(bool /*on*/) override {}
    [[nodiscard]] text::Gbk account() const override { return text::Gbk("alice"); }
    [[nodiscard]] bool userIsHost() const override { return true; }
    [[nodiscard]] forms::CheckBox& readyBox() override { return box; }
    [[nodiscard]] const forms::ListView& players() const override { return list; }
    void sendnotice(const text::Gbk& line) override { notices.push_back(line); }
    void sendstate() override {}
    void sendroom() override {}
    void setStatus(const text::Gbk& /*status*/) override {}
    void restoreWindowSizes() override {}

    int startCalls = 0;
    int clearCalls = 0;
    std::vector<text::Gbk> notices;
    forms::MemoryCheckBox box;
    forms::MemoryListView list;
};

}  // namespace ardentis::testing
