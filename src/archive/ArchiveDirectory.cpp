// SPDX-License-Identifier: MIT
#include "archive/ArchiveDirectory.h"

#include <cstring>

#include "archive/ArchiveHeader.h"

bool ArchiveDirectory::Build(unsigned char* block, int32_t blockSize, int32_t entryCount) {
    if (entryCount < 0 || blockSize < 0 || int64_t{entryCount} * 8 > blockSize) return false;
    count = entryCount;
    names.Attach(block);
    // Four bytes a name: a header's count is bounded by its block already.
    if (!names.Reserve(static_cast<size_t>(count))) {
        outOfMemory = true;
        return false;
    }
    auto* sizeWords = reinterpret_cast<int32_t*>(block);
    auto* timeWords = reinterpret_cast<int32_t*>(block + 4 * size_t(count));
    const unsigned char* cursor = block + 8 * size_t(count);
    const unsigned char* end = block + blockSize;
    for (int32_t i = 0; i < count; ++i) {
        const void* terminator = std::memchr(cursor, 0, static_cast<size_t>(end - cursor));
        if (!terminator) return false;
        const size_t length = static_cast<size_t>(static_cast<const unsigned char*>(terminator) - cursor);
        names.Add(static_cast<uint32_t>(cursor - block));
        cursor += length + 1;
        const int32_t size = static_cast<int32_t>(ReadBigEndian32(block + 4 * size_t(i)));
        const int32_t time = static_cast<int32_t>(ReadBigEndian32(block + 4 * (size_t(count) + i)));
        if (size < 0) return false;
        std::memcpy(&sizeWords[i], &size, 4);
        std::memcpy(&timeWords[i], &time, 4);
        if (size > largestSize) largestSize = size;
    }
    sizes = sizeWords;
    times = timeWords;
    return true;
}
