#pragma once

#include <cstdint>
#include <memory>

namespace ardentis::testing {

// Holds a UDP port on all local addresses, as a running game holds its port, until
// release() or the end of the object. The kernel picks a free port.
class UdpPortHolder {
  public:
    UdpPortHolder();
    ~UdpPortHolder();
    UdpPortHolder(const UdpPortHolder&) = delete;
    UdpPortHolder& operator=(const UdpPortHolder&) = delete;

    // The port stays known after release().
    [[nodiscard]] std::uint16_t port() const;
    void release();

  private:
    struct Socket;
    std::unique_ptr<Socket> socket_;
};

}  // namespace ardentis::testing
