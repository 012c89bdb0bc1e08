#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/network_info.h"
#include "text/gbk.h"

namespace ardentis::settings {

// The virtual-LAN programs by the index stored as vnntype and carried as a room's nettype;
// new ones only ever go at the end, since peers compare rooms by that index.
inline constexpr std::int32_t kVnn = 0;
inline constexpr std::int32_t kHamachi = 1;
inline constexpr std::int32_t kRadmin = 2;
inline constexpr std::int32_t kZeroTier = 3;
inline constexpr std::int32_t kTailscale = 4;
inline constexpr std::int32_t kOtherAddress = 5;  // an address the user picked
inline constexpr std::int32_t kVnnTypeCount = 6;

// The machine's network as the virtual-LAN choice sees it, read once.
struct LocalNetwork {
    // Nothing when the system gave no adapter list.
    std::optional<std::vector<platform::NetworkAdapter>> adapters;
    std::vector<text::Gbk> lookup;  // the host-name lookup's addresses, in its order
};

[[nodiscard]] LocalNetwork readLocalNetwork(const platform::NetworkInfo& network);

// The address a choice gives and, when the adapter list has it, the adapter holding it.
struct VnnAddress {
    text::Gbk address;  // empty: the software is not connected
    std::optional<std::size_t> adapter;
};

// VNN keeps its one rule: the first looked-up address beginning "10.140.". The others look at
// the adapters that are up: first one named for the software (any range will do, as a
// ZeroTier network picks its own), then an address in the software's range on an adapter
// not named for another. `picked` is the address of kOtherAddress. Link-local addresses
// (169.254.x) are never a virtual LAN's.
[[nodiscard]] VnnAddress findVnnAddress(const LocalNetwork& network, std::int32_t vnntype,
                                        const text::Gbk& picked);

// The software this machine shows signs of, in vnntype order: an adapter named for it (up
// or not), or an address in its range on an adapter that is up.
[[nodiscard]] std::vector<std::int32_t> detectVnnTypes(const LocalNetwork& network);

// The addresses of the adapters that are up, in order, for the user to pick from.
[[nodiscard]] std::vector<text::Gbk> pickableAddresses(const LocalNetwork& network);

[[nodiscard]] text::Gbk dotted(const platform::Ipv4Address& address);
// "A.B.C.D", each part 0 to 255 in decimal; nothing for any other text.
[[nodiscard]] std::optional<platform::Ipv4Address> parseDotted(std::string_view text);

}  // namespace ardentis::settings
