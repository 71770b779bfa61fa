#pragma once

#include <cstddef>
#include <utility>

namespace platform {

// Memory for the decoder's large buffers, taken straight from the host's
// pages where it can: null when memory is short, never an exception.
unsigned char* AllocatePages(size_t size);
void ReleasePages(unsigned char* pages, size_t size);

// True where every whole 2 MB of such memory is backed by one large page,
// which spares the decoder hundreds of page faults and TLB misses.
bool LargePages();

// Owns one allocation of AllocatePages.
class PageBlock {
public:
    PageBlock() = default;
    PageBlock(PageBlock&& other) noexcept { *this = std::move(other); }
    PageBlock& operator=(PageBlock&& other) noexcept {
        if (this != &other) {
            Release();
            std::swap(pages_, other.pages_);
            std::swap(size_, other.size_);
        }
        return *this;
    }
    ~PageBlock() { Release(); }

    // Allocates size bytes (0 succeeds); false when memory is short.
    bool Allocate(size_t size) {
        Release();
        pages_ = AllocatePages(size);
        size_ = pages_ ? size : 0;
        return pages_ != nullptr;
    }
    void Release() {
        ReleasePages(pages_, size_);
        pages_ = nullptr;
        size_ = 0;
    }
    unsigned char* Get() const { return pages_; }
    size_t Size() const { return size_; }

private:
    unsigned char* pages_ = nullptr;
    size_t size_ = 0;
};

}  // namespace platform
