#pragma once

#include <cstdint>

namespace ardentis::testing {

// Holds a UDP port on all local addresses, as a running game holds its port, until
// release() or the end of the object. The kernel picks a free port.
class UdpPortHolder {
  public:
    UdpPortHolder();
    ~UdpPortHolder();
    UdpPortHolder(const UdpPortHolder&) = delete;
    UdpPortHolder& operator=(const UdpPortHolder&) = delete;

    [[nodiscard]] std::uint16_t port() const { return port_; }
    void release();

  private:
    std::intptr_t socket_ = -1;
    std::uint16_t port_ = 0;
};

}  // namespace ardentis::testing
