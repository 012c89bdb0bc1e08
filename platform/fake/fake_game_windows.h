#pragma once

#include <map>
#include <memory>
#include <vector>

#include "platform/game_windows.h"

namespace ardentis::platform {

// The window of a simulated program: what its client area shows and how it answers
// messages.
class SimulatedWindow {
  public:
    virtual ~SimulatedWindow() = default;
    [[nodiscard]] virtual Rgb pixel(PixelPoint point) const = 0;
    // Handles one message; returns false when the program closes the window in answer.
    [[nodiscard]] virtual bool handle(std::uint32_t message, std::uintptr_t wParam,
                                      std::intptr_t lParam) = 0;
    // The window has gone (closed by a message or by the test).
    virtual void closed() {}
};

struct SentMessage {
    WindowHandle window = kNoWindow;
    std::uint32_t message = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
    friend bool operator==(const SentMessage&, const SentMessage&) = default;
};

// A desktop of simulated top-level windows. Handles are never reused, so a message to a
// window that has gone reaches nobody.
class FakeGameWindows final : public GameWindows {
  public:
    [[nodiscard]] WindowHandle findWindow(const text::Gbk& title) const override;
    [[nodiscard]] std::expected<void, OsError> readPixels(WindowHandle window,
                                                          std::span<const PixelPoint> points,
                                                          std::span<Rgb> colours) const override;
    void sendMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                     std::intptr_t lParam) override;

    WindowHandle open(const text::Gbk& title, std::shared_ptr<SimulatedWindow> window);
    // The program ends on its own (a crash, the game over).
    void close(WindowHandle window);
    [[nodiscard]] bool isOpen(WindowHandle window) const { return windows_.contains(window); }
    [[nodiscard]] SimulatedWindow* window(WindowHandle handle) const;
    // Every message sent, delivered or not, in order.
    [[nodiscard]] const std::vector<SentMessage>& messages() const { return messages_; }
    [[nodiscard]] int captures() const { return captures_; }

  private:
    struct Entry {
        text::Gbk title;
        std::shared_ptr<SimulatedWindow> window;
    };
    std::map<WindowHandle, Entry> windows_;  // in opening order, as handles only grow
    WindowHandle next_ = 0x1000;
    std::vector<SentMessage> messages_;
    mutable int captures_ = 0;
};

}  // namespace ardentis::platform
