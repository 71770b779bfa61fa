#pragma once

#include <cstddef>
#include <cstdlib>

// Owns one block from malloc. Allocation never throws: a failed request
// leaves the holder empty, and the caller reports it.
class BufferHolder {
public:
    BufferHolder() = default;
    BufferHolder(const BufferHolder&) = delete;
    BufferHolder& operator=(const BufferHolder&) = delete;
    ~BufferHolder() { Release(); }

    // Allocates size bytes (a request of 0 bytes succeeds); false on failure.
    bool Allocate(size_t size) {
        Release();
        pointer_ = static_cast<unsigned char*>(std::malloc(size == 0 ? 1 : size));
        size_ = pointer_ ? size : 0;
        return pointer_ != nullptr;
    }
    void Release() {
        if (pointer_) std::free(pointer_);
        pointer_ = nullptr;
        size_ = 0;
    }
    unsigned char* Get() const { return pointer_; }
    size_t Size() const { return size_; }

private:
    unsigned char* pointer_ = nullptr;
    size_t size_ = 0;
};
