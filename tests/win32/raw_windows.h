#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace ardentis::testing {

// SPI_GETSCREENSAVERRUNNING straight from the system.
[[nodiscard]] bool rawScreenSaverRunning();

// A real top-level window of this process, filled with one colour; the system's default
// handling closes it on the close message. Made and pumped on the test's thread.
class RawColourWindow {
  public:
    RawColourWindow(const std::wstring& title, std::uint8_t r, std::uint8_t g, std::uint8_t b);
    ~RawColourWindow();
    RawColourWindow(const RawColourWindow&) = delete;
    RawColourWindow& operator=(const RawColourWindow&) = delete;

    // Handles the messages waiting for this thread (painting among them).
    static void pump();
    // The left-button messages the window received, as "down x y" / "up x y".
    [[nodiscard]] const std::wstring& mouseLog() const;

  private:
    struct State;
    std::unique_ptr<State> state_;
};

// A named file mapping of this process, as the demo recorder makes its own.
class RawMapping {
  public:
    RawMapping(const std::wstring& name, std::size_t size);
    ~RawMapping();
    RawMapping(const RawMapping&) = delete;
    RawMapping& operator=(const RawMapping&) = delete;

    void write(std::size_t offset, std::uint8_t value);

  private:
    void* handle_ = nullptr;
    std::uint8_t* view_ = nullptr;
};

}  // namespace ardentis::testing
