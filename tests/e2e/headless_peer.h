#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "platform/posix/posix_client_socket.h"
#include "platform/posix/posix_event_loop.h"
#include "text/gbk.h"
#include "ui/forms/headless/headless_client.h"

namespace ardentis::e2e {

// A headless client with real sockets and a real clock, pointed at a server on loopback; its
// virtual-LAN address is 10.140.0.lanHost, only ever written into records.
class HeadlessPeer {
  public:
    HeadlessPeer(const std::filesystem::path& folder, const text::Gbk& account,
                 const text::Gbk& password, std::uint16_t port, std::uint8_t lanHost);
    ~HeadlessPeer() { client_->client.workers.waitAll(); }

    void start();  // with automatic log-in; the splash is closed at once

    [[nodiscard]] forms::HeadlessClient& ui() { return *client_; }
    [[nodiscard]] forms::HeadlessMachine& machine() { return machine_; }
    [[nodiscard]] platform::PosixEventLoop& loop() { return loop_; }

    [[nodiscard]] bool lobbyChatHas(const text::Gbk& line) const;

  private:
    forms::HeadlessMachine machine_;
    platform::PosixClientSocket socket_;
    platform::PosixClientSocket testSocket_;
    platform::PosixEventLoop loop_;
    std::unique_ptr<forms::HeadlessClient> client_;
};

// Runs every peer's loop until `done` holds; false after `limit`.
bool runUntil(const std::vector<HeadlessPeer*>& peers, const std::function<bool()>& done,
              std::chrono::milliseconds limit = std::chrono::seconds(10));

}  // namespace ardentis::e2e
