#pragma once

#include <cstdint>
#include <vector>

#include "platform/network_info.h"
#include "text/gbk.h"

namespace ardentis::settings {

// The machine's IPv4 addresses in dotted decimal, in the host-name lookup's order; empty
// when the lookup fails.
[[nodiscard]] std::vector<text::Gbk> GetLocalAddresses(const platform::NetworkInfo& network);

// The first local address that begins with the prefix of the virtual-LAN software
// (0: "10.140." for VNN 3.0, 1: "5." for HAMACHI); empty when that software is not
// connected or vnntype names neither.
[[nodiscard]] text::Gbk GetVnnAddress(const platform::NetworkInfo& network, std::int32_t vnntype);

// True when a UDP socket can bind the port on all local addresses, so no other program
// (the game) holds it.
[[nodiscard]] bool IsPortFree(const platform::NetworkInfo& network, std::uint16_t port);

}  // namespace ardentis::settings
