#include "ui/forms/room_finder.h"

#include <charconv>
#include <string>
#include <string_view>
#include <utility>

#include "lobby/room_columns.h"
#include "text/caseless.h"
#include "text/literal.h"

namespace ardentis::forms {
namespace {

using text::Gbk;

constexpr std::string_view kSection = R"(Software\Morvane\Ardentis\lobby)";

using namespace lobby::room_columns;
constexpr int kNickname = 1;  // the user list's column after the account

// "3/8": players below the most.
bool hasRoom(const Gbk& count) {
    const std::string_view text = count.view();
    const char* first = text.data();
    const auto slash = text.find('/');
    int players = 0;
    int most = 0;
    if (slash == std::string_view::npos ||
        std::from_chars(first, first + slash, players).ec != std::errc() ||
        std::from_chars(first + slash + 1, first + text.size(), most).ec != std::errc()) {
        return false;
    }
    return players < most;
}

// "column,descending" ("-1,0" for none).
std::pair<int, bool> parseOrder(const Gbk& text) {
    int column = -1;
    const std::string_view view = text.view();
    const char* first = view.data();
    const auto comma = view.find(',');
    if (comma == std::string_view::npos ||
        std::from_chars(first, first + comma, column).ec != std::errc() || column < -1 ||
        column > 32) {
        return {-1, false};
    }
    return {column, view.substr(comma + 1) == "1"};
}

Gbk orderText(int column, bool descending) {
    return Gbk(std::to_string(column) + (descending ? ",1" : ",0"));
}

}  // namespace

void chooseColumn(int& column, bool& descending, int clicked) {
    descending = clicked == column ? !descending : false;
    column = clicked;
}

ArrangedListView::Filter roomFilter(const FinderChoices& choices) {
    if (choices.mod.empty() && !choices.joinableOnly && !choices.hidePasswords &&
        choices.roomSearch.empty()) {
        return {};
    }
    return [choices](const ArrangedListView::Row& room) {
        if (!choices.mod.empty() && room.column(kModName) != choices.mod) {
            return false;
        }
        if (choices.joinableOnly &&
            (room.column(kState) != text::zh<"讨论中">() || !hasRoom(room.column(kPlayers)))) {
            return false;
        }
        if (choices.hidePasswords && !room.column(kPassword).empty()) {
            return false;
        }
        const Gbk& search = choices.roomSearch;
        return search.empty() || text::containsIgnoringAsciiCase(room.column(kHost), search) ||
               text::containsIgnoringAsciiCase(room.column(kComment), search) ||
               text::containsIgnoringAsciiCase(room.column(kMap), search);
    };
}

ArrangedListView::Filter userFilter(const FinderChoices& choices, const Gbk& ownAccount) {
    if (choices.userSearch.empty()) {
        return {};
    }
    return [search = choices.userSearch, ownAccount](const ArrangedListView::Row& user) {
        return user.caption == ownAccount ||
               text::containsIgnoringAsciiCase(user.caption, search) ||
               text::containsIgnoringAsciiCase(user.column(kNickname), search);
    };
}

FinderChoices loadFinderChoices(platform::Registry& registry) {
    FinderChoices choices;
    auto key = registry.openKey(platform::RegistryHive::CurrentUser, kSection);
    if (!key) {
        return choices;
    }
    const auto read = [&](std::string_view name) {
        auto value = (*key)->readText(name);
        return value ? *std::move(value) : Gbk();
    };
    std::tie(choices.roomColumn, choices.roomDescending) = parseOrder(read("roomorder"));
    std::tie(choices.userColumn, choices.userDescending) = parseOrder(read("userorder"));
    choices.mod = read("mod");
    choices.joinableOnly = read("joinable") == Gbk("1");
    choices.hidePasswords = read("nopassword") == Gbk("1");
    return choices;
}

void saveFinderChoices(platform::Registry& registry, const FinderChoices& choices) {
    auto key = registry.createKey(platform::RegistryHive::CurrentUser, kSection);
    if (!key) {
        return;  // the lists still work; the choices are simply not kept
    }
    const std::pair<std::string_view, Gbk> values[] = {
        {"roomorder", orderText(choices.roomColumn, choices.roomDescending)},
        {"userorder", orderText(choices.userColumn, choices.userDescending)},
        {"mod", choices.mod},
        {"joinable", Gbk(choices.joinableOnly ? "1" : "0")},
        {"nopassword", Gbk(choices.hidePasswords ? "1" : "0")}};
    for (const auto& [name, value] : values) {
        (void)(*key)->writeText(name, value);
    }
}

}  // namespace ardentis::forms
