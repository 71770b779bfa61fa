// SPDX-License-Identifier: MIT
#include "platform/Memory.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>

#ifdef __EMSCRIPTEN__
#include <emscripten/heap.h>
#endif

namespace platform {

uint64_t UsableMemory() {
#ifdef __EMSCRIPTEN__
    return emscripten_get_heap_max();
#else
    uint64_t usable = UINT64_MAX;
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages > 0 && pageSize > 0) usable = static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize);
    for (const int resource : {RLIMIT_AS, RLIMIT_DATA}) {
        struct rlimit limit {};
        if (getrlimit(resource, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
            usable = std::min<uint64_t>(usable, limit.rlim_cur);
        }
    }
    return usable;
#endif
}

}  // namespace platform
