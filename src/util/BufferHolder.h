// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdlib>
#include <utility>

// Owns one block of memory from Allocation, whose Take(size) gives a block
// or null and whose Give(block, size) takes it back. Allocation never
// throws: a failed request leaves the holder empty, and the caller reports
// it.
template <typename Allocation>
class BlockHolder {
public:
    BlockHolder() = default;
    BlockHolder(BlockHolder&& other) noexcept { *this = std::move(other); }
    BlockHolder& operator=(BlockHolder&& other) noexcept {
        if (this != &other) {
            Release();
            std::swap(pointer_, other.pointer_);
            std::swap(size_, other.size_);
        }
        return *this;
    }
    ~BlockHolder() { Release(); }

    // Allocates size bytes (a request of 0 bytes succeeds); false on failure.
    bool Allocate(size_t size) {
        Release();
        pointer_ = Allocation::Take(size);
        size_ = pointer_ ? size : 0;
        return pointer_ != nullptr;
    }
    void Release() {
        if (pointer_) Allocation::Give(pointer_, size_);
        pointer_ = nullptr;
        size_ = 0;
    }
    unsigned char* Get() const { return pointer_; }
    size_t Size() const { return size_; }

private:
    unsigned char* pointer_ = nullptr;
    size_t size_ = 0;
};

// Blocks from malloc.
struct HeapAllocation {
    static unsigned char* Take(size_t size) { return static_cast<unsigned char*>(std::malloc(size == 0 ? 1 : size)); }
    static void Give(unsigned char* block, size_t) { std::free(block); }
};
using BufferHolder = BlockHolder<HeapAllocation>;
