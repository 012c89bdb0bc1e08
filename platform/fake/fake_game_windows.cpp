#include "platform/fake/fake_game_windows.h"

namespace ardentis::platform {
namespace {

constexpr int kInvalidWindowHandle = 1400;

}  // namespace

WindowHandle FakeGameWindows::findWindow(const text::Gbk& title) const {
    for (const auto& [handle, entry] : windows_) {
        if (entry.title == title) {
            return handle;
        }
    }
    return kNoWindow;
}

std::expected<void, OsError> FakeGameWindows::readPixels(WindowHandle window,
                                                         std::span<const PixelPoint> points,
                                                         std::span<Rgb> colours) const {
    const auto found = windows_.find(window);
    if (found == windows_.end()) {
        return std::unexpected(OsError{"GetDC", kInvalidWindowHandle});
    }
    ++captures_;
    for (std::size_t i = 0; i < points.size() && i < colours.size(); ++i) {
        colours[i] = found->second.window->pixel(points[i]);
    }
    return {};
}

void FakeGameWindows::sendMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                                  std::intptr_t lParam) {
    messages_.push_back(SentMessage{window, message, wParam, lParam});
    const auto found = windows_.find(window);
    if (found == windows_.end()) {
        return;
    }
    // Held here: the window may close, and so leave the map, while it handles the message.
    const std::shared_ptr<SimulatedWindow> target = found->second.window;
    if (!target->handle(message, wParam, lParam)) {
        close(window);
    }
}

WindowHandle FakeGameWindows::open(const text::Gbk& title,
                                   std::shared_ptr<SimulatedWindow> window) {
    const WindowHandle handle = next_++;
    windows_.emplace(handle, Entry{title, std::move(window)});
    return handle;
}

void FakeGameWindows::close(WindowHandle window) {
    const auto found = windows_.find(window);
    if (found == windows_.end()) {
        return;
    }
    const std::shared_ptr<SimulatedWindow> gone = found->second.window;
    windows_.erase(found);
    gone->closed();
}

SimulatedWindow* FakeGameWindows::window(WindowHandle handle) const {
    const auto found = windows_.find(handle);
    return found == windows_.end() ? nullptr : found->second.window.get();
}

}  // namespace ardentis::platform
