#pragma once

#include <optional>

#include "platform/registry.h"
#include "text/gbk.h"
#include "ui/forms/arranged_list_view.h"

namespace ardentis::forms {

// How the user wants the lobby's lists ordered and narrowed. Only what is shown changes:
// the lobby model and what is sent never do.
struct FinderChoices {
    int roomColumn = -1;  // below 0: the order rooms came in
    bool roomDescending = false;
    text::Gbk mod;  // empty: every mod
    bool joinableOnly = false;
    bool hidePasswords = false;
    text::Gbk roomSearch;  // not kept between runs
    int userColumn = -1;
    bool userDescending = false;
    text::Gbk userSearch;  // not kept between runs

    friend bool operator==(const FinderChoices&, const FinderChoices&) = default;
};

// A click on a column's header: that column, ascending; the same column again: the other way.
void chooseColumn(int& column, bool& descending, int clicked);

// Rooms of the mod, open (discussing, not full), without a password, and matching the search
// in host, comment or map (ASCII letters in any case), as chosen.
[[nodiscard]] ArrangedListView::Filter roomFilter(const FinderChoices& choices);
// Users matching the search in account or nickname; the user's own row always shows.
[[nodiscard]] ArrangedListView::Filter userFilter(const FinderChoices& choices,
                                                  const text::Gbk& ownAccount);

// Kept under the client's key beside its options (subkey "lobby"); a value that is missing or
// unreadable takes its default.
[[nodiscard]] FinderChoices loadFinderChoices(platform::Registry& registry);
void saveFinderChoices(platform::Registry& registry, const FinderChoices& choices);

}  // namespace ardentis::forms
