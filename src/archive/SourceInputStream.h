// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <cstdio>

#include "archive/ArchiveStream.h"

// An archive read through a caller's function that reads at an offset (a
// file object, a slice of a browser's file), of a known total size. A read
// that fails marks the stream failed: what it read then is no archive's.
class SourceInputStream : public ArchiveStream {
public:
    // read fills up to size bytes at offset and returns how many, 0 at the
    // end, or a negative count when reading failed.
    using ReadAt = int64_t (*)(void* user, uint64_t offset, void* buffer, size_t size);

    SourceInputStream(ReadAt read, void* user, uint64_t size) : read_(read), user_(user), size_(size) {}

    size_t ReadRaw(unsigned char* buffer, size_t count) override {
        if (failed_ || pos_ >= size_) return 0;
        if (count > size_ - pos_) count = static_cast<size_t>(size_ - pos_);
        const int64_t n = read_(user_, pos_, buffer, count);
        if (n < 0 || static_cast<uint64_t>(n) > count) {
            failed_ = true;
            return 0;
        }
        pos_ += static_cast<uint64_t>(n);
        return static_cast<size_t>(n);
    }
    bool Seek(int64_t offset, int origin) override { return SeekWithin(pos_, size_, offset, origin); }
    int64_t Tell() override { return static_cast<int64_t>(pos_); }
    bool Failed() const override { return failed_; }

private:
    ReadAt read_;
    void* user_;
    uint64_t size_;
    uint64_t pos_ = 0;
    bool failed_ = false;
};
