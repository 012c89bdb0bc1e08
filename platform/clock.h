#pragma once

namespace ardentis::platform {

// A local wall-clock time, to the millisecond.
struct LocalTime {
    int year = 0;
    int month = 0;  // 1..12
    int day = 0;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

class Clock {
  public:
    virtual ~Clock() = default;
    [[nodiscard]] virtual LocalTime now() const = 0;
};

// The machine's local time (per-OS implementation).
class SystemClock final : public Clock {
  public:
    [[nodiscard]] LocalTime now() const override;
};

}  // namespace ardentis::platform
