// Finding rooms in the lobby window: the user's order and filters change what the list shows,
// never what the lobby holds or sends, and a double click joins the room it was on.
#include "headless_fixture.h"
#include "ui/forms/room_finder.h"

namespace ardentis::forms::testing {
namespace {

class Finder : public HeadlessFixture {
  protected:
    [[nodiscard]] Texts shownRooms() const {
        Texts rows;
        for (int row = 0; row < main_.lvrooms.rowCount(); ++row) {
            rows.push_back(main_.lvrooms.caption(row));
        }
        return rows;
    }
};

TEST_F(Finder, TheUsersOrderAndFiltersShapeTheListAndADoubleClickJoinsTheRoomShown) {
    logIn();
    machine_.setVirtualLanAddress(10, 140, 3, 4);
    RoomRecord full = openRoom(Gbk("bob"));
    full.players = 10;
    RoomRecord small = openRoom(Gbk("carol"));
    small.players = 2;
    RoomRecord locked = openRoom(Gbk("dave"));
    locked.players = 5;
    locked.password = Gbk("pw");
    for (const RoomRecord& room : {full, small, locked}) {
        receive(roomRecord(room));
    }
    main_.lvrooms.clickColumn(5);  // 人数
    EXPECT_EQ(shownRooms(), (Texts{Gbk("R-carol"), Gbk("R-dave"), Gbk("R-bob")}));
    main_.lvrooms.clickColumn(5);
    EXPECT_EQ(shownRooms(), (Texts{Gbk("R-bob"), Gbk("R-dave"), Gbk("R-carol")}));
    main_.joinable.click();
    main_.noPassword.click();
    EXPECT_EQ(shownRooms(), (Texts{Gbk("R-carol")}));
    small.players = 10;  // fills up: gone from the list, still in the lobby
    receive(roomRecord(small));
    EXPECT_TRUE(shownRooms().empty());
    EXPECT_EQ(client_.connection()->lobby.rooms.size(), 3U);
    main_.joinable.click();
    main_.roomSearch.setText(Gbk("CAR"));
    EXPECT_EQ(shownRooms(), (Texts{Gbk("R-carol")}));
    EXPECT_TRUE(sentRecords().empty()) << "arranging sends nothing";

    // The choices outlive the run; the search does not.
    EXPECT_EQ(loadFinderChoices(machine_.registry).roomColumn, 5);
    EXPECT_TRUE(loadFinderChoices(machine_.registry).roomDescending &&
                loadFinderChoices(machine_.registry).hidePasswords);
    main_.roomSearch.setText(Gbk());
    main_.lvrooms.doubleClick(0);  // bob's room, first as shown
    const auto sent = sentRecords();
    ASSERT_EQ(kinds(sent), (Kinds{{4, sub::kRoomJoin}}));
    EXPECT_EQ(sent[0].sparam1.text(), Gbk("R-bob"));
}

}  // namespace
}  // namespace ardentis::forms::testing
