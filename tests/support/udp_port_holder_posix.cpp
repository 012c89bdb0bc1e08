#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

#include "tests/support/udp_port_holder.h"

namespace ardentis::testing {

UdpPortHolder::UdpPortHolder() {
    const int descriptor = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (descriptor < 0) {
        throw std::runtime_error("socket failed");
    }
    socket_ = descriptor;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    socklen_t size = sizeof(address);
    if (::bind(descriptor, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
        ::getsockname(descriptor, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
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
        ::close(static_cast<int>(socket_));
        socket_ = -1;
    }
}

}  // namespace ardentis::testing
