// SPDX-License-Identifier: MIT
#include <sys/timeb.h>
#include <time.h>

#include "platform/Clock.h"

namespace platform {

TimeReading Now() {
    struct __timeb64 now {};
    _ftime64(&now);
    return TimeReading{static_cast<int64_t>(now.time), static_cast<int>(now.millitm)};
}

bool LocalTimeText(int64_t time, std::string& text) {
    const __time64_t t = time;
    const char* rendered = _ctime64(&t);
    if (!rendered) return false;
    text = rendered;
    return true;
}

}  // namespace platform
