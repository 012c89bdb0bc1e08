#include <winsock2.h>

#include <stdexcept>

#include "tests/support/udp_port_holder.h"

namespace ardentis::testing {

UdpPortHolder::UdpPortHolder() {
    WSADATA data{};
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        throw std::runtime_error("WSAStartup failed");
    }
    const SOCKET handle = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (handle == INVALID_SOCKET) {
        WSACleanup();
        throw std::runtime_error("socket failed");
    }
    socket_ = static_cast<std::intptr_t>(handle);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    int size = sizeof(address);
    if (bind(handle, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
        getsockname(handle, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        release();
        throw std::runtime_error("bind failed");
    }
    port_ = ntohs(address.sin_port);
}

UdpPortHolder::~UdpPortHolder() {
    release();
}

void UdpPortHolder::release() {
    if (socket_ >= 0) {
        closesocket(static_cast<SOCKET>(socket_));
        WSACleanup();
        socket_ = -1;
    }
}

}  // namespace ardentis::testing
