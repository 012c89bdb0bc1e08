#include <ctime>

#include "platform/clock.h"

namespace ardentis::platform {

LocalTime SystemClock::now() const {
    timespec stamp{};
    clock_gettime(CLOCK_REALTIME, &stamp);
    std::tm local{};
    localtime_r(&stamp.tv_sec, &local);
    return LocalTime{.year = local.tm_year + 1900,
                     .month = local.tm_mon + 1,
                     .day = local.tm_mday,
                     .hour = local.tm_hour,
                     .minute = local.tm_min,
                     .second = local.tm_sec,
                     .millisecond = static_cast<int>(stamp.tv_nsec / 1'000'000)};
}

}  // namespace ardentis::platform
