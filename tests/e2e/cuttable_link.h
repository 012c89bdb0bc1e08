#pragma once

#include <cstdint>
#include <memory>

namespace ardentis::e2e {

// A TCP hop on loopback between clients and a server: whatever comes in on its own port goes to
// the server's and back, until cut() ends every connection through it at once, as a network
// that fails under both ends does. New connections go through again afterwards.
class CuttableLink {
  public:
    explicit CuttableLink(std::uint16_t serverPort);
    ~CuttableLink();
    CuttableLink(const CuttableLink&) = delete;
    CuttableLink& operator=(const CuttableLink&) = delete;

    [[nodiscard]] std::uint16_t port() const;
    void cut();

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace ardentis::e2e
