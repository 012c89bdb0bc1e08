#pragma once

#include <cstdint>
#include <vector>

#include "platform/network_info.h"
#include "settings/settings_record.h"
#include "text/gbk.h"

namespace ardentis::settings {

// The machine's IPv4 addresses in dotted decimal, in the host-name lookup's order; empty
// when the lookup fails.
[[nodiscard]] std::vector<text::Gbk> GetLocalAddresses(const platform::NetworkInfo& network);

// This machine's address on the chosen virtual-LAN software (findVnnAddress); empty when
// that software is not connected or vnntype names none. `picked` is the address the user
// chose for "other".
[[nodiscard]] text::Gbk GetVnnAddress(const platform::NetworkInfo& network, std::int32_t vnntype,
                                      const text::Gbk& picked);

// The same for the stored choice.
[[nodiscard]] inline text::Gbk GetVnnAddress(const platform::NetworkInfo& network,
                                             const Toptions& options) {
    return GetVnnAddress(network, options.vnntype, options.vnnaddr);
}

// True when a UDP socket can bind the port on all local addresses, so no other program
// (the game) holds it.
[[nodiscard]] bool IsPortFree(const platform::NetworkInfo& network, std::uint16_t port);

}  // namespace ardentis::settings
