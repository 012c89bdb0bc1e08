#include "settings/local_network.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/fake/fake_network_info.h"

namespace ardentis::settings {
namespace {

using platform::Ipv4Address;
using text::Gbk;

// The addresses come from a list the test sets; nothing is ever sent to them.
TEST(LocalAddresses, AreDottedDecimalInLookupOrderAndNoneWhenTheLookupFails) {
    platform::FakeNetworkInfo network;
    network.setAddresses({{192, 168, 1, 2}, {0, 0, 0, 0}, {255, 255, 255, 255}, {5, 0, 10, 100}});
    EXPECT_EQ(GetLocalAddresses(network),
              (std::vector<Gbk>{Gbk("192.168.1.2"), Gbk("0.0.0.0"), Gbk("255.255.255.255"),
                                Gbk("5.0.10.100")}));
    network.setAddresses({{10, 140, 3, 4}});
    network.failLookup();
    EXPECT_TRUE(GetLocalAddresses(network).empty());
    EXPECT_EQ(GetVnnAddress(network, 0), Gbk());
}

TEST(LocalAddresses, VirtualLanAddressIsTheFirstWithItsSoftwaresPrefix) {
    struct Case {
        std::vector<Ipv4Address> addresses;
        std::int32_t vnntype;
        const char* expected;
    };
    const std::vector<Ipv4Address> mixed{
        {192, 168, 1, 2}, {5, 9, 9, 9}, {5, 1, 1, 1}, {10, 140, 9, 9}, {10, 140, 1, 1}};
    const Case cases[] = {
        {mixed, 0, "10.140.9.9"},
        {mixed, 1, "5.9.9.9"},
        {mixed, -1, ""},
        {mixed, 2, ""},
        {{{192, 168, 1, 2}, {10, 140, 3, 4}}, 1, ""},
        {{{15, 1, 2, 3}, {192, 168, 5, 5}}, 1, ""},
        {{{10, 14, 0, 1}, {110, 140, 1, 1}, {10, 141, 0, 1}}, 0, ""},
    };
    for (const Case& entry : cases) {
        platform::FakeNetworkInfo network;
        network.setAddresses(entry.addresses);
        EXPECT_EQ(GetVnnAddress(network, entry.vnntype), Gbk(entry.expected))
            << "vnntype " << entry.vnntype << ", first " << int(entry.addresses[0][0]);
    }
}

}  // namespace
}  // namespace ardentis::settings
