#pragma once

#include <vector>

#include "text/gbk.h"

namespace ardentis::forms {

// The fixed items, ranges and defaults of the windows' controls, the same for every
// implementation of the controls.
namespace battleroom_items {
[[nodiscard]] std::vector<text::Gbk> maps();
[[nodiscard]] std::vector<text::Gbk> commander();
[[nodiscard]] std::vector<text::Gbk> los();
[[nodiscard]] std::vector<text::Gbk> forbidAllow();
[[nodiscard]] std::vector<text::Gbk> mapmode();
[[nodiscard]] std::vector<text::Gbk> startpos();

inline constexpr int kCommanderDefault = 1;
inline constexpr int kLosDefault = 0;
inline constexpr int kCheatDefault = 0;
inline constexpr int kMapmodeDefault = 1;
inline constexpr int kWatchDefault = 1;
inline constexpr int kStartposDefault = 1;

struct Range {
    int minimum;
    int maximum;
    int position;
};
inline constexpr Range kPlayers{1, 10, 10};
inline constexpr Range kUnitLimit{5, 30, 30};
inline constexpr Range kMetal{0, 10, 1};
inline constexpr Range kEnergy{0, 10, 1};
}  // namespace battleroom_items

// The lines a chat view keeps; older ones go as new ones come.
inline constexpr int kChatLineLimit = 2000;

namespace options_items {
// The virtual-LAN programs, by the index stored as vnntype (settings/virtual_lan.h).
[[nodiscard]] std::vector<text::Gbk> vnntypes();
// The adapter list's columns: name, addresses, state, the one in use, driver.
[[nodiscard]] std::vector<text::Gbk> adapterColumns();
// The languages, each named in itself, by text::Language.
[[nodiscard]] std::vector<text::Gbk> languages();
inline constexpr int kDefaultPort = 8888;
}  // namespace options_items

}  // namespace ardentis::forms
