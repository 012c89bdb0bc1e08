#include "settings/local_network.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "settings/virtual_lan.h"

namespace ardentis::settings {

std::vector<text::Gbk> GetLocalAddresses(const platform::NetworkInfo& network) {
    std::vector<text::Gbk> texts;
    if (auto addresses = network.localAddresses()) {
        std::ranges::transform(*addresses, std::back_inserter(texts), dotted);
    }
    return texts;
}

text::Gbk GetVnnAddress(const platform::NetworkInfo& network, std::int32_t vnntype,
                        const text::Gbk& picked) {
    LocalNetwork local;
    // VNN's address has always come from the host-name lookup; the others look at the
    // adapters, and at the lookup only when the system gives no adapter list.
    if (vnntype != kVnn) {
        if (auto adapters = network.adapters()) {
            local.adapters = *std::move(adapters);
        }
    }
    if (!local.adapters) {
        local.lookup = GetLocalAddresses(network);
    }
    return findVnnAddress(local, vnntype, picked).address;
}

bool IsPortFree(const platform::NetworkInfo& network, std::uint16_t port) {
    return network.tryBindUdp(port).has_value();
}

}  // namespace ardentis::settings
