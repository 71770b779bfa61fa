#pragma once

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "archive/ArchiveStream.h"

// An archive held in memory by the caller, who keeps it alive while the
// stream is in use.
class MemoryInputStream : public ArchiveStream {
public:
    MemoryInputStream(const unsigned char* data, size_t size) : data_(data), size_(size) {}

    size_t ReadRaw(unsigned char* buffer, size_t count) override {
        const size_t n = pos_ < size_ ? std::min(count, size_ - pos_) : 0;
        if (n > 0) std::memcpy(buffer, data_ + pos_, n);
        pos_ += n;
        return n;
    }
    bool Seek(int64_t offset, int origin) override {
        const int64_t base = origin == SEEK_SET ? 0 : origin == SEEK_END ? static_cast<int64_t>(size_) : static_cast<int64_t>(pos_);
        if (offset < -base || base + offset > static_cast<int64_t>(size_)) return false;
        pos_ = static_cast<size_t>(base + offset);
        return true;
    }
    int64_t Tell() override { return static_cast<int64_t>(pos_); }

private:
    const unsigned char* data_;
    size_t size_;
    size_t pos_ = 0;
};
