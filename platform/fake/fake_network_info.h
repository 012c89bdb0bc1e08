#pragma once

#include <set>
#include <utility>
#include <vector>

#include "platform/network_info.h"

namespace ardentis::platform {

// A machine whose addresses and busy UDP ports the test decides; nothing reaches a socket,
// so addresses of virtual LANs can be listed without ever being contacted.
class FakeNetworkInfo final : public NetworkInfo {
  public:
    [[nodiscard]] std::expected<std::vector<Ipv4Address>, OsError> localAddresses() const override;
    [[nodiscard]] std::expected<std::vector<NetworkAdapter>, OsError> adapters() const override;
    [[nodiscard]] std::expected<void, OsError> tryBindUdp(std::uint16_t port) const override;

    void setAdapters(std::vector<NetworkAdapter> adapters) { adapters_ = std::move(adapters); }
    void setAddresses(std::vector<Ipv4Address> addresses);
    // Every later lookup fails, as when the host name cannot be resolved.
    void failLookup() { lookupFails_ = true; }
    // Every later adapter list fails, as when the system cannot give one.
    void failAdapters() { adaptersFail_ = true; }
    void holdUdpPort(std::uint16_t port) { heldPorts_.insert(port); }
    void releaseUdpPort(std::uint16_t port) { heldPorts_.erase(port); }

  private:
    std::vector<Ipv4Address> addresses_;
    std::vector<NetworkAdapter> adapters_;
    bool lookupFails_ = false;
    bool adaptersFail_ = false;
    std::set<std::uint16_t> heldPorts_;
};

}  // namespace ardentis::platform
