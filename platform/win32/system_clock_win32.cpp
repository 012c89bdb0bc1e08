#include <windows.h>

#include "platform/clock.h"

namespace ardentis::platform {

LocalTime SystemClock::now() const {
    SYSTEMTIME local{};
    GetLocalTime(&local);
    return LocalTime{.year = local.wYear,
                     .month = local.wMonth,
                     .day = local.wDay,
                     .hour = local.wHour,
                     .minute = local.wMinute,
                     .second = local.wSecond,
                     .millisecond = local.wMilliseconds};
}

}  // namespace ardentis::platform
