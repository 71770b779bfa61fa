#include "archive/ArchiveDirectory.h"

#include <cstring>

#include "archive/ArchiveHeader.h"
#include "archive/StoredName.h"
#include "util/PathSeparator.h"

bool ArchiveDirectory::Build(unsigned char* block, int32_t blockSize, int32_t entryCount) {
    if (entryCount < 0 || blockSize < 0 || int64_t{entryCount} * 8 > blockSize) return false;
    count = entryCount;
    auto* sizeWords = reinterpret_cast<int32_t*>(block);
    auto* timeWords = reinterpret_cast<int32_t*>(block + 4 * size_t(count));
    const unsigned char* cursor = block + 8 * size_t(count);
    const unsigned char* end = block + blockSize;
    for (int32_t i = 0; i < count; ++i) {
        const void* terminator = std::memchr(cursor, 0, static_cast<size_t>(end - cursor));
        if (!terminator) return false;
        const size_t length = static_cast<size_t>(static_cast<const unsigned char*>(terminator) - cursor);
        names.Add(EscapeName(NormaliseSeparators(std::string_view(reinterpret_cast<const char*>(cursor), length), PathSeparator)));
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
