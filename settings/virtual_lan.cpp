#include "settings/virtual_lan.h"

#include <algorithm>
#include <array>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "settings/local_network.h"
#include "text/caseless.h"

namespace ardentis::settings {
namespace {

using platform::Ipv4Address;
using platform::NetworkAdapter;

struct Range {
    Ipv4Address base;
    int bits;
    [[nodiscard]] bool contains(const Ipv4Address& address) const {
        for (int bit = 0; bit < bits; ++bit) {
            const auto byte = static_cast<std::size_t>(bit / 8);
            const int mask = 0x80 >> (bit % 8);
            if ((address[byte] & mask) != (base[byte] & mask)) {
                return false;
            }
        }
        return true;
    }
};

// What gives each program away: a word in its adapter's name or driver, and the ranges it
// hands out (ZeroTier's networks choose their own).
struct Software {
    std::int32_t vnntype;
    std::string_view mark;  // lower case
    std::span<const Range> ranges;
};

constexpr std::array kHamachiRanges{Range{{25, 0, 0, 0}, 8}, Range{{5, 0, 0, 0}, 8}};
constexpr std::array kRadminRanges{Range{{26, 0, 0, 0}, 8}};
constexpr std::array kTailscaleRanges{Range{{100, 64, 0, 0}, 10}};
constexpr std::array kSoftware{
    Software{kHamachi, "hamachi", kHamachiRanges},
    Software{kRadmin, "radmin", kRadminRanges},
    Software{kZeroTier, "zerotier", {}},
    Software{kTailscale, "tailscale", kTailscaleRanges},
};
constexpr Range kLinkLocal{{169, 254, 0, 0}, 16};

const Software* softwareOf(std::int32_t vnntype) {
    const auto* found = std::ranges::find(kSoftware, vnntype, &Software::vnntype);
    return found == kSoftware.end() ? nullptr : found;
}

bool namedFor(const NetworkAdapter& adapter, const Software& software) {
    const text::Gbk mark(software.mark);
    return text::containsIgnoringAsciiCase(adapter.name, mark) ||
           text::containsIgnoringAsciiCase(adapter.description, mark);
}

bool namedForAnother(const NetworkAdapter& adapter, const Software& software) {
    return std::ranges::any_of(kSoftware, [&](const Software& other) {
        return other.vnntype != software.vnntype && namedFor(adapter, other);
    });
}

bool inRanges(const Ipv4Address& address, const Software& software) {
    return std::ranges::any_of(software.ranges,
                               [&](const Range& range) { return range.contains(address); });
}

bool textInRanges(const text::Gbk& address, const Software& software) {
    const auto parsed = parseDotted(address.view());
    return parsed && inRanges(*parsed, software);
}

std::optional<std::size_t> holderOf(const std::vector<NetworkAdapter>& adapters,
                                    const text::Gbk& address) {
    for (std::size_t index = 0; index < adapters.size(); ++index) {
        if (std::ranges::any_of(adapters[index].addresses,
                                [&](const Ipv4Address& own) { return dotted(own) == address; })) {
            return index;
        }
    }
    return std::nullopt;
}

VnnAddress fromAdapters(const std::vector<NetworkAdapter>& adapters, const Software& software) {
    for (std::size_t index = 0; index < adapters.size(); ++index) {
        const NetworkAdapter& adapter = adapters[index];
        if (!adapter.up || !namedFor(adapter, software)) {
            continue;
        }
        for (const Ipv4Address& address : adapter.addresses) {
            if (!kLinkLocal.contains(address)) {
                return {dotted(address), index};
            }
        }
    }
    for (std::size_t index = 0; index < adapters.size(); ++index) {
        const NetworkAdapter& adapter = adapters[index];
        if (!adapter.up || namedForAnother(adapter, software)) {
            continue;
        }
        for (const Ipv4Address& address : adapter.addresses) {
            if (inRanges(address, software)) {
                return {dotted(address), index};
            }
        }
    }
    return {};
}

}  // namespace

text::Gbk dotted(const Ipv4Address& address) {
    std::string text;
    for (const std::uint8_t part : address) {
        if (!text.empty()) {
            text += '.';
        }
        text += std::to_string(part);
    }
    return text::Gbk(std::move(text));
}

std::optional<Ipv4Address> parseDotted(std::string_view text) {
    Ipv4Address address{};
    std::size_t part = 0;
    int value = -1;  // no digit yet in this part
    for (const char ch : text) {
        if (ch >= '0' && ch <= '9') {
            value = (value < 0 ? 0 : value * 10) + (ch - '0');
            if (value > 255) {
                return std::nullopt;
            }
        } else if (ch == '.' && value >= 0 && part < 3) {
            address[part++] = static_cast<std::uint8_t>(value);
            value = -1;
        } else {
            return std::nullopt;
        }
    }
    if (part != 3 || value < 0) {
        return std::nullopt;
    }
    address[part] = static_cast<std::uint8_t>(value);
    return address;
}

LocalNetwork readLocalNetwork(const platform::NetworkInfo& network) {
    LocalNetwork local;
    if (auto adapters = network.adapters()) {
        local.adapters = *std::move(adapters);
    }
    local.lookup = GetLocalAddresses(network);
    return local;
}

VnnAddress findVnnAddress(const LocalNetwork& network, std::int32_t vnntype,
                          const text::Gbk& picked) {
    const auto withHolder = [&](text::Gbk address) {
        VnnAddress found{std::move(address), std::nullopt};
        if (network.adapters && !found.address.empty()) {
            found.adapter = holderOf(*network.adapters, found.address);
        }
        return found;
    };
    if (vnntype == kVnn) {
        const auto match = std::ranges::find_if(network.lookup, [](const text::Gbk& address) {
            return address.view().starts_with("10.140.");
        });
        return withHolder(match == network.lookup.end() ? text::Gbk() : *match);
    }
    if (vnntype == kOtherAddress) {
        if (picked.empty()) {
            return {};
        }
        if (network.adapters) {
            const auto holder = holderOf(*network.adapters, picked);
            return holder && (*network.adapters)[*holder].up ? VnnAddress{picked, holder}
                                                             : VnnAddress{};
        }
        return std::ranges::find(network.lookup, picked) == network.lookup.end()
                   ? VnnAddress{}
                   : VnnAddress{picked, std::nullopt};
    }
    const Software* software = softwareOf(vnntype);
    if (software == nullptr) {
        return {};
    }
    if (network.adapters) {
        return fromAdapters(*network.adapters, *software);
    }
    // Without the adapters' names, only the ranges tell.
    const auto match = std::ranges::find_if(
        network.lookup, [&](const text::Gbk& address) { return textInRanges(address, *software); });
    return match == network.lookup.end() ? VnnAddress{} : VnnAddress{*match, std::nullopt};
}

std::vector<std::int32_t> detectVnnTypes(const LocalNetwork& network) {
    std::vector<std::int32_t> found;
    if (!findVnnAddress(network, kVnn, {}).address.empty()) {
        found.push_back(kVnn);
    }
    for (const Software& software : kSoftware) {
        const bool named = network.adapters &&
                           std::ranges::any_of(*network.adapters, [&](const NetworkAdapter& a) {
                               return namedFor(a, software);
                           });
        if (named || !findVnnAddress(network, software.vnntype, {}).address.empty()) {
            found.push_back(software.vnntype);
        }
    }
    return found;
}

std::vector<text::Gbk> pickableAddresses(const LocalNetwork& network) {
    if (!network.adapters) {
        return network.lookup;
    }
    std::vector<text::Gbk> addresses;
    for (const NetworkAdapter& adapter : *network.adapters) {
        if (adapter.up) {
            for (const Ipv4Address& address : adapter.addresses) {
                addresses.push_back(dotted(address));
            }
        }
    }
    return addresses;
}

}  // namespace ardentis::settings
