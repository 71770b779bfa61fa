// SPDX-License-Identifier: MIT
#include "platform/Pages.h"

#include <windows.h>

// Windows gives large pages only to accounts that hold the right to lock
// memory, so the blocks are committed on ordinary pages.
namespace platform {

bool LargePages() { return false; }

unsigned char* AllocatePages(size_t size) {
    void* pages = VirtualAlloc(nullptr, size == 0 ? 1 : size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    return static_cast<unsigned char*>(pages);
}

void ReleasePages(unsigned char* pages, size_t) {
    if (pages) VirtualFree(pages, 0, MEM_RELEASE);
}

}  // namespace platform
