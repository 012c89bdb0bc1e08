// winsock2.h must come before windows.h.
#include <winsock2.h>
#include <ws2tcpip.h>
// iphlpapi.h after both.
#include <iphlpapi.h>

#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "platform/network_info.h"
#include "platform/win32/wide_text.h"

namespace ardentis::platform {
namespace {

// One WSAStartup, released with the object.
class WinsockSession {
  public:
    explicit WinsockSession(WORD version) : error_(WSAStartup(version, &data_)) {}
    ~WinsockSession() {
        if (error_ == 0) {
            WSACleanup();
        }
    }
    WinsockSession(const WinsockSession&) = delete;
    WinsockSession& operator=(const WinsockSession&) = delete;

    [[nodiscard]] int error() const { return error_; }

  private:
    WSADATA data_{};
    int error_;
};

struct AddrinfoFree {
    void operator()(addrinfo* list) const noexcept { freeaddrinfo(list); }
};

struct SocketCloser {
    SOCKET socket;
    ~SocketCloser() { closesocket(socket); }
};

}  // namespace

std::expected<std::vector<Ipv4Address>, OsError> SystemNetworkInfo::localAddresses() const {
    // Version 1.1 is all a name lookup needs.
    WinsockSession session(MAKEWORD(1, 1));
    if (session.error() != 0) {
        return std::unexpected(OsError{"WSAStartup", session.error()});
    }
    std::string name;
    if (hostName_) {
        name = *hostName_;
    } else {
        char buffer[256] = {};
        if (gethostname(buffer, sizeof(buffer)) != 0) {
            return std::unexpected(OsError{"gethostname", WSAGetLastError()});
        }
        name = buffer;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int status = getaddrinfo(name.c_str(), nullptr, &hints, &found);
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
    constexpr ULONG kFlags =
        GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
    // The list can grow between the call that sizes it and the one that fills it.
    ULONG size = 16 * 1024;
    std::vector<unsigned char> buffer;
    ULONG status = ERROR_BUFFER_OVERFLOW;
    for (int attempt = 0; attempt < 4 && status == ERROR_BUFFER_OVERFLOW; ++attempt) {
        buffer.assign(size, 0);
        status =
            GetAdaptersAddresses(AF_INET, kFlags, nullptr,
                                 reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
    }
    std::vector<NetworkAdapter> adapters;
    if (status == ERROR_NO_DATA) {
        return adapters;
    }
    if (status != NO_ERROR) {
        return std::unexpected(OsError{"GetAdaptersAddresses", static_cast<int>(status)});
    }
    for (const auto* entry = reinterpret_cast<const IP_ADAPTER_ADDRESSES*>(buffer.data());
         entry != nullptr; entry = entry->Next) {
        if (entry->IfType == IF_TYPE_SOFTWARE_LOOPBACK) {
            continue;
        }
        NetworkAdapter adapter;
        adapter.name = wideToGbkLossy(entry->FriendlyName != nullptr ? entry->FriendlyName : L"");
        adapter.description =
            wideToGbkLossy(entry->Description != nullptr ? entry->Description : L"");
        adapter.up = entry->OperStatus == IfOperStatusUp;
        for (const auto* unicast = entry->FirstUnicastAddress; unicast != nullptr;
             unicast = unicast->Next) {
            const SOCKET_ADDRESS& socketAddress = unicast->Address;
            if (socketAddress.lpSockaddr == nullptr ||
                socketAddress.lpSockaddr->sa_family != AF_INET ||
                socketAddress.iSockaddrLength < static_cast<INT>(sizeof(sockaddr_in))) {
                continue;
            }
            sockaddr_in address{};
            std::memcpy(&address, socketAddress.lpSockaddr, sizeof(address));
            Ipv4Address bytes{};
            std::memcpy(bytes.data(), &address.sin_addr, bytes.size());
            adapter.addresses.push_back(bytes);
        }
        adapters.push_back(std::move(adapter));
    }
    return adapters;
}

std::expected<void, OsError> SystemNetworkInfo::tryBindUdp(std::uint16_t port) const {
    WinsockSession session(MAKEWORD(2, 2));
    if (session.error() != 0) {
        return std::unexpected(OsError{"WSAStartup", session.error()});
    }
    const SOCKET handle = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (handle == INVALID_SOCKET) {
        return std::unexpected(OsError{"socket", WSAGetLastError()});
    }
    const SocketCloser closer{handle};
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    if (bind(handle, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) ==
        SOCKET_ERROR) {
        return std::unexpected(OsError{"bind", WSAGetLastError()});
    }
    return {};
}

}  // namespace ardentis::platform
