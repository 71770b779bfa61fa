// SPDX-License-Identifier: MIT
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
        const size_t n = pos_ < size_ ? std::min<size_t>(count, static_cast<size_t>(size_ - pos_)) : 0;
        if (n > 0) std::memcpy(buffer, data_ + pos_, n);
        pos_ += n;
        return n;
    }
    bool Seek(int64_t offset, int origin) override { return SeekWithin(pos_, size_, offset, origin); }
    int64_t Tell() override { return static_cast<int64_t>(pos_); }

private:
    const unsigned char* data_;
    uint64_t size_;
    uint64_t pos_ = 0;
};
