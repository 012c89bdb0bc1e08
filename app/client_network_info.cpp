#include "app/client_network_info.h"

#include <cstddef>
#include <string_view>

namespace ardentis::app {
namespace {

// "A.B.C.D" with each part 0 to 255 in decimal.
std::optional<platform::Ipv4Address> dottedAddress(std::wstring_view text) {
    platform::Ipv4Address address{};
    std::size_t part = 0;
    int value = -1;  // no digit yet in this part
    for (const wchar_t ch : text) {
        if (ch >= L'0' && ch <= L'9') {
            value = (value < 0 ? 0 : value * 10) + (ch - L'0');
            if (value > 255) {
                return std::nullopt;
            }
        } else if (ch == L'.' && value >= 0 && part < 3) {
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

std::expected<void, platform::OsError> ClientNetworkInfo::tryBindUdp(std::uint16_t port) const {
    return system_.tryBindUdp(port);
}

}  // namespace ardentis::app
