#pragma once

#include <span>
#include <string>
#include <string_view>

#include "platform/registry.h"
#include "text/gbk.h"

namespace ardentis::app {

// The desktop as the client's windows use it: the user's browser, the games' windows and
// the community site's address.

// Opens `url` in the user's browser; returns whether the shell accepted it.
bool openInBrowser(const text::Gbk& url);

// True while a top-level window titled "Total Annihilation" or "Supreme Commander" exists.
[[nodiscard]] bool gameWindowOpen();

// The community site behind the banners: "--site=ADDRESS" on the command line, else the
// text value "site" under Software\Morvane\Ardentis of the current user, else a placeholder
// (no public site is known).
inline constexpr std::string_view kDefaultCommunitySite = "http://ardentis.invalid/";
[[nodiscard]] text::Gbk communitySite(std::span<const std::wstring> arguments,
                                      platform::Registry& registry);

}  // namespace ardentis::app
