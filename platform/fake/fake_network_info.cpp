#include "platform/fake/fake_network_info.h"

#include <utility>

namespace ardentis::platform {
namespace {

constexpr int kHostNotFound = 11001;  // WSAHOST_NOT_FOUND
constexpr int kAddressInUse = 10048;  // WSAEADDRINUSE
constexpr int kNoData = 232;          // ERROR_NO_DATA

}  // namespace

std::expected<std::vector<Ipv4Address>, OsError> FakeNetworkInfo::localAddresses() const {
    if (lookupFails_) {
        return std::unexpected(OsError{"getaddrinfo", kHostNotFound});
    }
    return addresses_;
}

std::expected<std::vector<NetworkAdapter>, OsError> FakeNetworkInfo::adapters() const {
    if (adaptersFail_) {
        return std::unexpected(OsError{"GetAdaptersAddresses", kNoData});
    }
    return adapters_;
}

std::expected<void, OsError> FakeNetworkInfo::tryBindUdp(std::uint16_t port) const {
    if (heldPorts_.contains(port)) {
        return std::unexpected(OsError{"bind", kAddressInUse});
    }
    return {};
}

void FakeNetworkInfo::setAddresses(std::vector<Ipv4Address> addresses) {
    addresses_ = std::move(addresses);
}

}  // namespace ardentis::platform
