#pragma once

#include <array>
#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/os_error.h"
#include "text/gbk.h"

namespace ardentis::platform {

// An IPv4 address as its four bytes in memory (network) order.
using Ipv4Address = std::array<std::uint8_t, 4>;

// One network adapter of this machine, as its system lists it.
struct NetworkAdapter {
    text::Gbk name;         // the user's name for it ("Ethernet 2", "Hamachi")
    text::Gbk description;  // the driver's ("ZeroTier Virtual Port")
    std::vector<Ipv4Address> addresses;
    bool up = false;  // able to carry traffic now
};

class NetworkInfo {
  public:
    virtual ~NetworkInfo() = default;
    // The IPv4 addresses that looking up this machine's host name gives, in the lookup's order.
    [[nodiscard]] virtual std::expected<std::vector<Ipv4Address>, OsError> localAddresses()
        const = 0;
    // Every adapter but loopback, in the system's order.
    [[nodiscard]] virtual std::expected<std::vector<NetworkAdapter>, OsError> adapters() const = 0;
    // Binds a UDP socket to the port on all local addresses and releases it at once:
    // succeeds only when no other socket holds the port.
    [[nodiscard]] virtual std::expected<void, OsError> tryBindUdp(std::uint16_t port) const = 0;
};

// The machine's own network (per-OS implementation). A host name given here is looked up
// instead of the machine's own, so that tests can use one that never leaves the machine.
class SystemNetworkInfo final : public NetworkInfo {
  public:
    SystemNetworkInfo() = default;
    explicit SystemNetworkInfo(std::string hostName) : hostName_(std::move(hostName)) {}

    [[nodiscard]] std::expected<std::vector<Ipv4Address>, OsError> localAddresses() const override;
    [[nodiscard]] std::expected<std::vector<NetworkAdapter>, OsError> adapters() const override;
    [[nodiscard]] std::expected<void, OsError> tryBindUdp(std::uint16_t port) const override;

  private:
    std::optional<std::string> hostName_;
};

}  // namespace ardentis::platform
