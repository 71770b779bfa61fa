// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

// A clock reading in whole seconds and milliseconds, as the host clock gives it.
struct TimeReading {
    int64_t seconds = 0;
    int milliseconds = 0;
};

// Seconds from start to end, counted in milliseconds modulo 2^32 (32-bit
// arithmetic, so a clock that wraps still gives a short time).
double ElapsedSeconds(const TimeReading& start, const TimeReading& end);

// The elapsed time as the reports show it ("%2.2f").
std::string SecondsText(double seconds);
