#include "settings/local_network.h"

#include <string>
#include <string_view>
#include <utility>

namespace ardentis::settings {

std::vector<text::Gbk> GetLocalAddresses(const platform::NetworkInfo& network) {
    std::vector<text::Gbk> texts;
    auto addresses = network.localAddresses();
    if (!addresses) {
        return texts;
    }
    for (const platform::Ipv4Address& address : *addresses) {
        std::string dotted;
        for (const std::uint8_t part : address) {
            if (!dotted.empty()) {
                dotted += '.';
            }
            dotted += std::to_string(part);
        }
        texts.emplace_back(std::move(dotted));
    }
    return texts;
}

text::Gbk GetVnnAddress(const platform::NetworkInfo& network, std::int32_t vnntype) {
    std::string_view prefix;
    switch (vnntype) {
        case 0:
            prefix = "10.140.";
            break;
        case 1:
            prefix = "5.";
            break;
        default:
            return {};
    }
    for (const text::Gbk& address : GetLocalAddresses(network)) {
        if (address.view().starts_with(prefix)) {
            return address;
        }
    }
    return {};
}

bool IsPortFree(const platform::NetworkInfo& network, std::uint16_t port) {
    return network.tryBindUdp(port).has_value();
}

}  // namespace ardentis::settings
