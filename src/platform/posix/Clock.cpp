// SPDX-License-Identifier: MIT
#include "platform/Clock.h"

#include <ctime>

namespace platform {

TimeReading Now() {
    timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    return TimeReading{static_cast<int64_t>(now.tv_sec), static_cast<int>(now.tv_nsec / 1000000)};
}

bool LocalTimeText(int64_t time, std::string& text) {
    const time_t t = static_cast<time_t>(time);
    tm local {};
    if (!localtime_r(&t, &local)) return false;
    char buffer[64];
    if (std::strftime(buffer, sizeof buffer, "%a %b %e %H:%M:%S %Y\n", &local) == 0) return false;
    text = buffer;
    return true;
}

}  // namespace platform
