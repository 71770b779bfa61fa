// SPDX-License-Identifier: MIT
#include "platform/Pages.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>

namespace platform {
namespace {

// Under AddressSanitizer the blocks come from malloc, so that every access
// beyond them is caught; in WebAssembly, whose memory has no pages to map,
// from malloc too.
#if defined(__SANITIZE_ADDRESS__) || defined(__EMSCRIPTEN__)
constexpr bool kHeap = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kHeap = true;
#else
constexpr bool kHeap = false;
#endif
#else
constexpr bool kHeap = false;
#endif

constexpr size_t kPage = 4096;
constexpr size_t kLargePage = size_t{2} << 20;

// Whole small pages; and whole large pages where the last one would be at
// least half used, so that a block just short of a multiple of 2 MB is
// still backed by large pages throughout, at the cost of at most half of
// one. Tables of 1 MB then take one page fault instead of one per row
// that a block uses: the rows lie 4 KB apart.
size_t MappedLength(size_t size) {
    const size_t length = size == 0 ? kPage : (size + kPage - 1) & ~(kPage - 1);
    const size_t rest = length % kLargePage;
    return rest >= kLargePage / 2 ? length - rest + kLargePage : length;
}

}  // namespace

bool LargePages() { return !kHeap; }

unsigned char* AllocatePages(size_t size) {
    if (size > SIZE_MAX - 2 * kLargePage) return nullptr;
    if (kHeap) return static_cast<unsigned char*>(std::malloc(size == 0 ? 1 : size));
    const size_t length = MappedLength(size);
    const int protection = PROT_READ | PROT_WRITE;
    const int flags = MAP_PRIVATE | MAP_ANONYMOUS;
    if (length < kLargePage) {
        void* pages = mmap(nullptr, length, protection, flags, -1, 0);
        return pages == MAP_FAILED ? nullptr : static_cast<unsigned char*>(pages);
    }
    // One large page more than asked for, and the ends given back, so that
    // the block starts on a 2 MB boundary: the host can then back each
    // whole 2 MB of it with a large page (the advice is only a hint; a
    // last piece shorter than that keeps small pages).
    const size_t mapped = length + kLargePage;
    void* area = mmap(nullptr, mapped, protection, flags, -1, 0);
    if (area == MAP_FAILED) return nullptr;
    const auto first = reinterpret_cast<uintptr_t>(area);
    const uintptr_t start = (first + kLargePage - 1) & ~(uintptr_t{kLargePage} - 1);
    const size_t head = start - first;
    if (head > 0) munmap(area, head);
    if (mapped - head > length) munmap(reinterpret_cast<void*>(start + length), mapped - head - length);
    madvise(reinterpret_cast<void*>(start), length, MADV_HUGEPAGE);
    return reinterpret_cast<unsigned char*>(start);
}

void ReleasePages(unsigned char* pages, size_t size) {
    if (!pages) return;
    if (kHeap) {
        std::free(pages);
        return;
    }
    munmap(pages, MappedLength(size));
}

}  // namespace platform
