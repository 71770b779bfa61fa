// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "codec/InputStream.h"

// The bytes of an archive file, from a file or from memory: raw reads and
// seeks for the header search, and Read for the compressed stream, which
// combines every byte with the password key.
class ArchiveStream : public InputStream {
public:
    // The key pattern starts again at every read; the decoder reads in
    // multiples of four, so stream byte p meets key byte p mod 4.
    int32_t Read(unsigned char* buffer, int32_t count) final {
        if (count <= 0) return 0;
        const auto n = static_cast<int32_t>(ReadRaw(buffer, static_cast<size_t>(count)));
        if ((key[0] | key[1] | key[2] | key[3]) == 0) return n;  // no password: nothing to combine
        for (int32_t j = 0; j < n; ++j) buffer[j] ^= key[j & 3];
        return n;
    }

    // Up to count bytes as they are in the file; 0 at the end or on an error.
    virtual size_t ReadRaw(unsigned char* buffer, size_t count) = 0;
    // origin is SEEK_SET, SEEK_CUR or SEEK_END; false for a place that
    // cannot be reached.
    virtual bool Seek(int64_t offset, int origin) = 0;
    virtual int64_t Tell() = 0;
    // True once reading failed for a reason of the source's own (not the
    // end of the data): what came before it is not to be judged.
    virtual bool Failed() const { return false; }

    unsigned char key[4] = {0, 0, 0, 0};  // most significant byte first

protected:
    // Moves position (within 0 .. size) as Seek asks; false for a place
    // outside, which leaves it unchanged.
    static bool SeekWithin(uint64_t& position, uint64_t size, int64_t offset, int origin) {
        const int64_t base = origin == SEEK_SET   ? 0
                             : origin == SEEK_END ? static_cast<int64_t>(size)
                                                  : static_cast<int64_t>(position);
        if (offset < -base || base + offset > static_cast<int64_t>(size)) return false;
        position = static_cast<uint64_t>(base + offset);
        return true;
    }
};
