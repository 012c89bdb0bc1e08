#pragma once

#include "text/gbk.h"

namespace ardentis::forms {

// Whether a chat line as the lobby and the room show it ("speaker>>text") names the user:
// their account or nickname occurs in the text, ASCII letters in either case. The user's own
// lines and the room's own announcements ("作战指挥室>>...", which name players as they come and
// go) never count.
[[nodiscard]] bool mentionsUser(const text::Gbk& line, const text::Gbk& account,
                                const text::Gbk& nickname);

}  // namespace ardentis::forms
