#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/network_info.h"

namespace ardentis::app {

// "--lan-addresses=A.B.C.D[,A.B.C.D...]": the addresses the command line gives instead of
// the host-name lookup's, in order; entries that are not dotted IPv4 addresses are skipped.
// Nothing when the option is absent.
[[nodiscard]] std::optional<std::vector<platform::Ipv4Address>> lanAddressesOption(
    std::span<const std::wstring> arguments);

// This machine's network as the client sees it. The address list is replaceable so that a
// virtual-LAN address can be named where no virtual LAN runs (the tests): the client only
// writes it into records and never connects to it.
class ClientNetworkInfo final : public platform::NetworkInfo {
  public:
    explicit ClientNetworkInfo(std::span<const std::wstring> arguments)
        : listed_(lanAddressesOption(arguments)) {}

    [[nodiscard]] std::expected<std::vector<platform::Ipv4Address>, platform::OsError>
    localAddresses() const override;
    [[nodiscard]] std::expected<std::vector<platform::NetworkAdapter>, platform::OsError> adapters()
        const override;
    [[nodiscard]] std::expected<void, platform::OsError> tryBindUdp(
        std::uint16_t port) const override;

  private:
    platform::SystemNetworkInfo system_;
    std::optional<std::vector<platform::Ipv4Address>> listed_;
};

}  // namespace ardentis::app
