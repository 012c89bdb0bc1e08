#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "platform/network_info.h"

namespace ardentis::platform {
namespace {

struct AddrinfoFree {
    void operator()(addrinfo* list) const noexcept { ::freeaddrinfo(list); }
};

struct IfaddrsFree {
    void operator()(ifaddrs* list) const noexcept { ::freeifaddrs(list); }
};

struct DescriptorCloser {
    int descriptor;
    ~DescriptorCloser() { ::close(descriptor); }
};

}  // namespace

std::expected<std::vector<Ipv4Address>, OsError> SystemNetworkInfo::localAddresses() const {
    std::string name;
    if (hostName_) {
        name = *hostName_;
    } else {
        char buffer[256] = {};
        if (::gethostname(buffer, sizeof(buffer) - 1) != 0) {
            return std::unexpected(OsError{"gethostname", errno});
        }
        name = buffer;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int status = ::getaddrinfo(name.c_str(), nullptr, &hints, &found);
    if (status != 0) {
        return std::unexpected(OsError{"getaddrinfo", status});
    }
    const std::unique_ptr<addrinfo, AddrinfoFree> list(found);
    std::vector<Ipv4Address> addresses;
    for (const addrinfo* entry = list.get(); entry != nullptr; entry = entry->ai_next) {
        if (entry->ai_family != AF_INET || entry->ai_addrlen < sizeof(sockaddr_in)) {
            continue;
        }
        sockaddr_in address{};
        std::memcpy(&address, entry->ai_addr, sizeof(address));
        Ipv4Address bytes{};
        std::memcpy(bytes.data(), &address.sin_addr, bytes.size());
        addresses.push_back(bytes);
    }
    return addresses;
}

std::expected<std::vector<NetworkAdapter>, OsError> SystemNetworkInfo::adapters() const {
    ifaddrs* found = nullptr;
    if (::getifaddrs(&found) != 0) {
        return std::unexpected(OsError{"getifaddrs", errno});
    }
    const std::unique_ptr<ifaddrs, IfaddrsFree> list(found);
    // One entry per address (and one without for each link): gathered by interface name.
    std::vector<NetworkAdapter> adapters;
    for (const ifaddrs* entry = list.get(); entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_name == nullptr || (entry->ifa_flags & IFF_LOOPBACK) != 0) {
            continue;
        }
        const text::Gbk name{std::string_view(entry->ifa_name)};
        auto adapter = std::ranges::find(adapters, name, &NetworkAdapter::name);
        if (adapter == adapters.end()) {
            adapters.push_back(
                NetworkAdapter{.name = name, .description = name, .addresses = {}, .up = false});
            adapter = std::prev(adapters.end());
        }
        adapter->up = (entry->ifa_flags & IFF_UP) != 0 && (entry->ifa_flags & IFF_RUNNING) != 0;
        if (entry->ifa_addr != nullptr && entry->ifa_addr->sa_family == AF_INET) {
            sockaddr_in address{};
            std::memcpy(&address, entry->ifa_addr, sizeof(address));
            Ipv4Address bytes{};
            std::memcpy(bytes.data(), &address.sin_addr, bytes.size());
            adapter->addresses.push_back(bytes);
        }
    }
    return adapters;
}

std::expected<void, OsError> SystemNetworkInfo::tryBindUdp(std::uint16_t port) const {
    const int descriptor = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
    if (descriptor < 0) {
        return std::unexpected(OsError{"socket", errno});
    }
    const DescriptorCloser closer{descriptor};
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    if (::bind(descriptor, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        return std::unexpected(OsError{"bind", errno});
    }
    return {};
}

}  // namespace ardentis::platform
