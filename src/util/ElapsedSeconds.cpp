// SPDX-License-Identifier: MIT
#include "util/ElapsedSeconds.h"

#include <cstdio>

double ElapsedSeconds(const TimeReading& start, const TimeReading& end) {
    const uint32_t ms = static_cast<uint32_t>(end.seconds - start.seconds) * 1000u +
                        static_cast<uint32_t>(end.milliseconds) - static_cast<uint32_t>(start.milliseconds);
    return ms * 0.001;
}

std::string SecondsText(double seconds) {
    char text[64];
    std::snprintf(text, sizeof text, "%2.2f", seconds);
    return text;
}
