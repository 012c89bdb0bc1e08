#pragma once

#include <cstdint>

#include "platform/fake/fake_game_windows.h"
#include "platform/fake/fake_network_info.h"

namespace ardentis::platform {

// Supreme Commander as the client meets it: a window titled "Supreme Commander"; a hosting
// game holds UDP port 5000 while its network game is up. Closes on the close message,
// releasing the port.
class SimulatedSupremeCommander final : public SimulatedWindow {
  public:
    static constexpr std::uint16_t kGamePort = 5000;

    SimulatedSupremeCommander(FakeNetworkInfo& network, bool hosting)
        : network_(network), hosting_(hosting) {}

    // The host's network game comes up: the port is taken.
    void startHosting() {
        if (hosting_) {
            network_.holdUdpPort(kGamePort);
        }
    }

    [[nodiscard]] Rgb pixel(PixelPoint /*point*/) const override { return {0, 0, 0}; }
    [[nodiscard]] bool handle(std::uint32_t message, std::uintptr_t /*wParam*/,
                              std::intptr_t /*lParam*/) override {
        return message != kWmClose;
    }
    void closed() override {
        if (hosting_) {
            network_.releaseUdpPort(kGamePort);
        }
    }

  private:
    FakeNetworkInfo& network_;
    bool hosting_;
};

}  // namespace ardentis::platform
