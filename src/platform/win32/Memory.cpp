// SPDX-License-Identifier: MIT
#include "platform/Memory.h"

#include <windows.h>

#include <algorithm>

namespace platform {

uint64_t UsableMemory() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (!GlobalMemoryStatusEx(&status)) return UINT64_MAX;
    // A 32-bit process is bounded by its address space too.
    return std::min<uint64_t>(status.ullTotalPhys, status.ullTotalVirtual);
}

}  // namespace platform
