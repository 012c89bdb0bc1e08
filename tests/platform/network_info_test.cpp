#include <gtest/gtest.h>

#include <algorithm>

#include "platform/network_info.h"

namespace ardentis::testing {
namespace {

// "localhost" resolves from the hosts file, so the lookup never leaves the machine.
TEST(SystemNetwork, LookupOfLocalhostGivesTheLoopbackAddress) {
    const platform::SystemNetworkInfo network("localhost");
    auto addresses = network.localAddresses();
    ASSERT_TRUE(addresses.has_value()) << addresses.error().describe();
    const platform::Ipv4Address loopback{127, 0, 0, 1};
    EXPECT_NE(std::find(addresses->begin(), addresses->end(), loopback), addresses->end());
}

}  // namespace
}  // namespace ardentis::testing
