#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <string>

#include "platform/network_info.h"

namespace ardentis::platform {
namespace {

struct AddrinfoFree {
    void operator()(addrinfo* list) const noexcept { ::freeaddrinfo(list); }
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
