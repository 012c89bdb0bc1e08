#include "settings/local_network.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/fake/fake_network_info.h"
#include "tests/platform/udp_port_holder.h"

namespace ardentis::settings {
namespace {

using platform::Ipv4Address;
using text::Gbk;

// The addresses come from a list the test sets; nothing is ever sent to them.
class LocalAddresses : public ::testing::Test {
  protected:
    void machineHas(std::vector<Ipv4Address> addresses) {
        network_.setAddresses(std::move(addresses));
    }
    platform::FakeNetworkInfo network_;
};

TEST_F(LocalAddresses, AreDottedDecimalInLookupOrder) {
    machineHas(
        {{192, 168, 1, 2}, {10, 140, 3, 4}, {0, 0, 0, 0}, {255, 255, 255, 255}, {5, 0, 10, 100}});
    EXPECT_EQ(GetLocalAddresses(network_),
              (std::vector<Gbk>{Gbk("192.168.1.2"), Gbk("10.140.3.4"), Gbk("0.0.0.0"),
                                Gbk("255.255.255.255"), Gbk("5.0.10.100")}));
}

TEST_F(LocalAddresses, FailedLookupGivesNoneAndNoVirtualLanAddress) {
    machineHas({{10, 140, 3, 4}});
    network_.failLookup();
    EXPECT_TRUE(GetLocalAddresses(network_).empty());
    EXPECT_EQ(GetVnnAddress(network_, 0), Gbk());
}

TEST_F(LocalAddresses, VnnAddressIsTheOneBeginning10Dot140) {
    machineHas({{192, 168, 1, 2}, {10, 140, 3, 4}});
    EXPECT_EQ(GetVnnAddress(network_, 0), Gbk("10.140.3.4"));
    EXPECT_EQ(GetVnnAddress(network_, 1), Gbk());
}

TEST_F(LocalAddresses, HamachiAddressMustBeginWith5Dot) {
    machineHas({{15, 1, 2, 3}, {192, 168, 5, 5}});
    EXPECT_EQ(GetVnnAddress(network_, 1), Gbk());
    machineHas({{15, 1, 2, 3}, {5, 6, 7, 8}});
    EXPECT_EQ(GetVnnAddress(network_, 1), Gbk("5.6.7.8"));
}

TEST_F(LocalAddresses, FirstMatchingAddressWins) {
    machineHas({{192, 168, 1, 2}, {5, 9, 9, 9}, {5, 1, 1, 1}, {10, 140, 9, 9}, {10, 140, 1, 1}});
    EXPECT_EQ(GetVnnAddress(network_, 1), Gbk("5.9.9.9"));
    EXPECT_EQ(GetVnnAddress(network_, 0), Gbk("10.140.9.9"));
}

TEST_F(LocalAddresses, VnnPrefixIsMatchedWhole) {
    machineHas({{10, 14, 0, 1}, {110, 140, 1, 1}, {10, 141, 0, 1}});
    EXPECT_EQ(GetVnnAddress(network_, 0), Gbk());
}

TEST_F(LocalAddresses, OtherSoftwareChoicesHaveNoAddress) {
    machineHas({{10, 140, 3, 4}, {5, 1, 1, 1}});
    for (const std::int32_t vnntype : {-1, 2, 3, 100}) {
        EXPECT_EQ(GetVnnAddress(network_, vnntype), Gbk()) << vnntype;
    }
}

// The real sockets: a port held the way a game holds it is not free, and is once released.
TEST(PortCheck, PortHeldByAnotherSocketIsNotFreeUntilReleased) {
    const platform::SystemNetworkInfo network;
    testing::UdpPortHolder holder;
    EXPECT_FALSE(IsPortFree(network, holder.port()));
    holder.release();
    EXPECT_TRUE(IsPortFree(network, holder.port()));
}

TEST(PortCheck, CheckingAPortLeavesItFree) {
    const platform::SystemNetworkInfo network;
    testing::UdpPortHolder holder;
    const std::uint16_t port = holder.port();
    holder.release();
    ASSERT_TRUE(IsPortFree(network, port));
    EXPECT_TRUE(IsPortFree(network, port));
}

}  // namespace
}  // namespace ardentis::settings
