#include "app/client_network_info.h"

#include <cstddef>
#include <string>
#include <string_view>

#include "settings/virtual_lan.h"

namespace ardentis::app {
namespace {

// "A.B.C.D" with each part 0 to 255 in decimal.
std::optional<platform::Ipv4Address> dottedAddress(std::wstring_view text) {
    std::string narrow;
    for (const wchar_t ch : text) {
        if (ch > 0x7F) {
            return std::nullopt;
        }
        narrow += static_cast<char>(ch);
    }
    return settings::parseDotted(narrow);
}

}  // namespace

std::optional<std::vector<platform::Ipv4Address>> lanAddressesOption(
    std::span<const std::wstring> arguments) {
    constexpr std::wstring_view kOption = L"--lan-addresses=";
    for (const std::wstring& argument : arguments) {
        if (!argument.starts_with(kOption)) {
            continue;
        }
        std::vector<platform::Ipv4Address> addresses;
        std::wstring_view rest = std::wstring_view(argument).substr(kOption.size());
        while (!rest.empty()) {
            const std::size_t comma = rest.find(L',');
            if (auto address = dottedAddress(rest.substr(0, comma))) {
                addresses.push_back(*address);
            }
            rest = comma == std::wstring_view::npos ? std::wstring_view() : rest.substr(comma + 1);
        }
        return addresses;
    }
    return std::nullopt;
}

std::expected<std::vector<platform::Ipv4Address>, platform::OsError>
ClientNetworkInfo::localAddresses() const {
    if (listed_) {
        return *listed_;
    }
    return system_.localAddresses();
}

std::expected<std::vector<platform::NetworkAdapter>, platform::OsError>
ClientNetworkInfo::adapters() const {
    if (listed_) {
        // The named addresses stand for one adapter, so that every choice of software sees
        // what the lookup sees.
        return std::vector<platform::NetworkAdapter>{
            platform::NetworkAdapter{.name = text::Gbk("--lan-addresses"),
                                     .description = {},
                                     .addresses = *listed_,
                                     .up = true}};
    }
    return system_.adapters();
}

std::expected<void, platform::OsError> ClientNetworkInfo::tryBindUdp(std::uint16_t port) const {
    return system_.tryBindUdp(port);
}

}  // namespace ardentis::app
