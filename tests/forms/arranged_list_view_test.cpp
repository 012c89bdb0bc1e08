// The lobby's lists as the user arranges them: order, filters and selection over the model's
// rows, and the choices kept in the registry.
#include "ui/forms/arranged_list_view.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/memory/memory_list_view.h"
#include "platform/fake/fake_registry.h"
#include "text/code_page.h"
#include "text/literal.h"
#include "ui/forms/room_finder.h"

namespace ardentis::forms {
namespace {

using text::Gbk;
using text::zh;

// The shown list's captions, in order.
std::string shown(const MemoryListView& list) {
    std::string captions;
    for (int row = 0; row < list.rowCount(); ++row) {
        captions += (row == 0 ? "" : " ") + list.caption(row).bytes();
    }
    return captions;
}

// A room row as the lobby model writes it: state, comment, mod, map, count, password, host.
std::vector<Gbk> room(const char* state, const char* comment, const char* mod, const char* count,
                      const char* password = "", const char* host = "host") {
    return {text::gbk(state), text::gbk(comment), Gbk(mod),  Gbk("Comet Catcher"),
            Gbk(count),       Gbk(password),      Gbk(host), Gbk("VNN 3.0")};
}

TEST(ArrangedListView, RowsKeepTheChosenOrderThroughUpdatesAndTheSelectionFollowsItsRow) {
    MemoryListView list;
    ArrangedListView rooms(list);
    std::vector<std::string> opened;
    rooms.onDblClick.set([&] { opened.push_back(rooms.caption(*rooms.selected()).bytes()); });
    rooms.addRow(Gbk("r1"), {Gbk("x"), Gbk("b"), Gbk("OTA"), Gbk("m"), Gbk("9/10")});
    rooms.addRow(Gbk("r2"), {Gbk("x"), Gbk("a"), Gbk("OTA"), Gbk("m"), Gbk("10/10")});
    rooms.addRow(Gbk("r3"), {Gbk("x"), Gbk("a"), Gbk("OTA"), Gbk("m"), Gbk("2/10")});
    EXPECT_EQ(shown(list), "r1 r2 r3");  // the model's order until the user chooses
    rooms.arrange(5, false, {});
    EXPECT_EQ(shown(list), "r3 r1 r2");  // counts by their numbers, not their bytes
    EXPECT_EQ(list.sortMark(), 5);
    rooms.arrange(2, true, {});
    EXPECT_EQ(shown(list), "r1 r2 r3");  // equal comments keep the order they came in
    EXPECT_EQ(list.sortMark(), -4);      // descending

    list.click(2);                     // r3
    rooms.setSubItem(2, 2, Gbk("c"));  // moves to the top, still selected
    EXPECT_EQ(shown(list), "r3 r1 r2");
    list.doubleClick(list.selected());
    rooms.setSubItem(1, 5, Gbk("3/10"));  // not a sorted column: stays put
    rooms.deleteRow(0);                   // r1 goes; the model's indexes close up
    rooms.addRow(Gbk("r4"), {Gbk("x"), Gbk("bb")});
    EXPECT_EQ(shown(list), "r3 r4 r2");
    EXPECT_EQ(list.selected(), 0);
    EXPECT_EQ(rooms.selected(), 1);  // r3, as the model counts
    EXPECT_EQ(rooms.findCaption(Gbk("r4")), 2);
    EXPECT_EQ(rooms.subItem(0, 5), Gbk("3/10"));

    // A filter hides rows and shows them again as they change; the model keeps them all.
    rooms.arrange(-1, false,
                  [](const ArrangedListView::Row& row) { return row.column(2) != Gbk("a"); });
    EXPECT_EQ(shown(list), "r3 r4");
    EXPECT_EQ(list.selected(), 0);
    rooms.setSubItem(0, 2, Gbk("z"));  // r2 shows, in the model's order
    EXPECT_EQ(shown(list), "r2 r3 r4");
    rooms.setSubItem(1, 2, Gbk("a"));  // r3 hides
    EXPECT_EQ(shown(list), "r2 r4");
    EXPECT_EQ(rooms.rowCount(), 3);
    EXPECT_EQ(opened, std::vector<std::string>{"r3"});
    rooms.insertRow(0, Gbk("r0"), {Gbk("x"), Gbk("q")});  // before every model row
    rooms.setSubItem(3, 2, Gbk("y"));                     // r4, as the model now counts
    EXPECT_EQ(shown(list), "r0 r2 r4");
    EXPECT_EQ(list.subItem(2, 2), Gbk("y"));
}

TEST(RoomFinder, FiltersCombineAndAHeaderClickTurnsTheOrder) {
    FinderChoices choices;
    const auto rows = std::vector<std::pair<const char*, std::vector<Gbk>>>{
        {"open", room("讨论中", "come in", "OTA3.1", "3/8", "", "Alice")},
        {"full", room("讨论中", "1v1", "OTA3.1", "2/2")},
        {"battle", room("战斗中", "ranked", "OTA3.1", "3/8")},
        {"locked", room("讨论中", "friends", "OTA3.1", "1/8", "******")},
        {"tavmod", room("讨论中", "新手 ALICE", "TAV", "1/8")},
    };
    const auto passing = [&](const FinderChoices& c) {
        const auto filter = roomFilter(c);
        std::string names;
        for (const auto& [name, columns] : rows) {
            if (!filter || filter({Gbk(name), columns})) {
                names += names.empty() ? name : " " + std::string(name);
            }
        }
        return names;
    };
    EXPECT_EQ(passing(choices), "open full battle locked tavmod");
    choices.joinableOnly = true;
    EXPECT_EQ(passing(choices), "open locked tavmod");
    choices.hidePasswords = true;
    EXPECT_EQ(passing(choices), "open tavmod");
    choices.roomSearch = Gbk("alice");  // the host, or the comment, in any case
    EXPECT_EQ(passing(choices), "open tavmod");
    choices.mod = Gbk("TAV");
    EXPECT_EQ(passing(choices), "tavmod");
    choices = {};
    choices.roomSearch = zh<"新手">();
    EXPECT_EQ(passing(choices), "tavmod");
    choices.roomSearch = Gbk("\xC2");  // half a character matches none
    EXPECT_EQ(passing(choices), "");

    // The user's own row shows whatever the search.
    choices.userSearch = Gbk("bo");
    const auto users = userFilter(choices, Gbk("me"));
    EXPECT_TRUE(users({Gbk("me"), {Gbk("x")}}) && users({Gbk("x"), {Gbk("Bob")}}) &&
                !users({Gbk("carol"), {Gbk("c")}}));

    int column = -1;
    bool descending = false;
    for (const auto& [clicked, expected] : std::vector<std::pair<int, std::pair<int, bool>>>{
             {4, {4, false}}, {4, {4, true}}, {1, {1, false}}}) {
        chooseColumn(column, descending, clicked);
        EXPECT_EQ(std::pair(column, descending), expected) << clicked;
    }
}

TEST(RoomFinder, ChoicesSurviveARestartAndBrokenValuesTakeTheirDefaults) {
    platform::FakeRegistry registry;
    FinderChoices choices;
    choices.roomColumn = 5;
    choices.roomDescending = true;
    choices.userColumn = 0;
    choices.mod = Gbk("TAV");
    choices.joinableOnly = true;
    choices.roomSearch = Gbk("not kept");
    saveFinderChoices(registry, choices);
    choices.roomSearch = {};
    EXPECT_EQ(loadFinderChoices(registry), choices);
    registry.setText(platform::RegistryHive::CurrentUser, R"(Software\Morvane\Ardentis\lobby)",
                     "roomorder", Gbk("x,1"));
    EXPECT_EQ(loadFinderChoices(registry).roomColumn, -1);
}

}  // namespace
}  // namespace ardentis::forms
