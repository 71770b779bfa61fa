// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>

#include "util/BufferHolder.h"

namespace platform {

// Memory for the decoder's large buffers, taken straight from the host's
// pages where it can: null when memory is short, never an exception.
unsigned char* AllocatePages(size_t size);
void ReleasePages(unsigned char* pages, size_t size);

// True where every whole 2 MB of such memory is backed by one large page,
// which spares the decoder hundreds of page faults and TLB misses.
bool LargePages();

// Blocks of AllocatePages.
struct PageAllocation {
    static unsigned char* Take(size_t size) { return AllocatePages(size); }
    static void Give(unsigned char* pages, size_t size) { ReleasePages(pages, size); }
};
using PageBlock = BlockHolder<PageAllocation>;

}  // namespace platform
