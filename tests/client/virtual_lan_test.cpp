// The virtual-LAN choice as the user meets it: the options page's adapters, the detection,
// the lobby's status, and rooms of programs this client does not know.
#include <chrono>
#include <optional>

#include "headless_fixture.h"
#include "settings/virtual_lan.h"

namespace ardentis::forms::testing {
namespace {

using namespace std::chrono_literals;

class VirtualLan : public HeadlessFixture {
  protected:
    // The adapter list's rows: name, addresses, state, mark, each joined by "|".
    [[nodiscard]] Texts adapterRows() const {
        Texts rows;
        const MemoryListView& list = headless_.options.adapters;
        for (int row = 0; row < list.rowCount(); ++row) {
            rows.push_back(list.caption(row) + Gbk("|") + list.subItem(row, 1) + Gbk("|") +
                           list.subItem(row, 2) + Gbk("|") + list.subItem(row, 3));
        }
        return rows;
    }
    MemoryOptionsWindow& o = headless_.options;
};

TEST_F(VirtualLan, ThePageShowsTheAdaptersMarksTheOneInUseAndChoosesWhatItFindsAlone) {
    logIn();
    EXPECT_EQ(main_.vnnstatus.caption(), Gbk("VNN 3.0: ") + zh<"未连接">());
    machine_.network.setAdapters({{Gbk("Ethernet"), Gbk(), {{192, 168, 1, 2}}, true},
                                  {Gbk("Hamachi"), Gbk(), {{25, 9, 8, 7}, {5, 1, 1, 1}}, true},
                                  {Gbk("zt0"), Gbk("ZeroTier Virtual Port"), {}, false}});
    main_.BitBtn3.click();  // 选项
    o.rgvnntype.click(settings::kHamachi);
    EXPECT_EQ(adapterRows(), (Texts{Gbk("Ethernet|192.168.1.2|") + zh<"已连接">() + Gbk("|"),
                                    Gbk("Hamachi|25.9.8.7, 5.1.1.1|") + zh<"已连接">() + zh<"|√">(),
                                    Gbk("zt0||") + zh<"未连接">() + Gbk("|")}));
    o.rgvnntype.click(settings::kTailscale);
    o.vnndetect.click();  // two programs: the choice stays the user's
    EXPECT_EQ(o.vnnfound.caption(), zh<"找到：HAMACHI、ZeroTier">());
    EXPECT_EQ(o.rgvnntype.itemIndex(), settings::kTailscale);

    machine_.network.setAdapters(
        {{Gbk("Ethernet"), Gbk(), {{192, 168, 1, 2}}, true},
         {Gbk("zt0"), Gbk("ZeroTier Virtual Port"), {{10, 1, 2, 3}}, true}});
    o.vnndetect.click();
    EXPECT_EQ(o.rgvnntype.itemIndex(), settings::kZeroTier);
    EXPECT_EQ(adapterRows().at(1), Gbk("zt0|10.1.2.3|") + zh<"已连接">() + zh<"|√">());

    // 其他: the address is the user's pick among the machine's, and it is kept.
    EXPECT_FALSE(o.vnnaddr.enabled());
    o.rgvnntype.click(settings::kOtherAddress);
    ASSERT_TRUE(o.vnnaddr.enabled() && o.vnnaddr.count() == 2);
    o.vnnaddr.choose(0);
    EXPECT_EQ(adapterRows().at(0), Gbk("Ethernet|192.168.1.2|") + zh<"已连接">() + zh<"|√">());
    o.BitBtn1.click();
    EXPECT_EQ(client_.options.vnnaddr, Gbk("192.168.1.2"));
    EXPECT_EQ(machine_.registry.text(platform::RegistryHive::CurrentUser, settings::kOptionsSection,
                                     "vnnaddr"),
              std::optional(Gbk("192.168.1.2")));
    EXPECT_EQ(main_.vnnstatus.caption(), zh<"其他: 192.168.1.2">());
    // The status follows the machine by itself.
    machine_.network.setAdapters({});
    loop_.advance(5s);
    EXPECT_EQ(main_.vnnstatus.caption(), zh<"其他: 未连接">());
}

// A room of a program this client does not know is named so and never entered on a guess.
TEST_F(VirtualLan, ARoomOfAnUnknownProgramShowsUnknownAndIsNotEntered) {
    logIn();
    machine_.setVirtualLanAddress(10, 140, 3, 4);
    RoomRecord room = openRoom(Gbk("bob"));
    room.nettype = settings::kVnnTypeCount;
    receive(roomRecord(room));
    EXPECT_EQ(main_.lvrooms.subItem(0, 8), zh<"未知">());
    doubleClickRoom(room.roomno);
    EXPECT_EQ(shown_.back(), zh<"这个房间使用的虚拟局域网软件本客户端不认识，请更新客户端。">());
    EXPECT_TRUE(sentRecords().empty());
}

}  // namespace
}  // namespace ardentis::forms::testing
