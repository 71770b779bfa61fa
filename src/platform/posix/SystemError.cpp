// SPDX-License-Identifier: MIT
#include "platform/SystemError.h"

#include <cerrno>
#include <cstring>

namespace platform {

std::string SystemErrorText() {
    const int code = errno;
    if (code == 0) return {};
    char buffer[256] = "";
    // The GNU form returns its text, which may not be the buffer.
#if defined(__GLIBC__) && defined(_GNU_SOURCE)
    return strerror_r(code, buffer, sizeof buffer);
#else
    return strerror_r(code, buffer, sizeof buffer) == 0 ? std::string(buffer) : std::string();
#endif
}

}  // namespace platform
