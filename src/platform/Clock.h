// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

#include "util/ElapsedSeconds.h"

namespace platform {

// _ftime: the current time in seconds and milliseconds.
TimeReading Now();
// ctime: "Www Mmm dd hh:mm:ss yyyy\n" in local time; false when the time
// cannot be rendered.
bool LocalTimeText(int64_t time, std::string& text);

}  // namespace platform
