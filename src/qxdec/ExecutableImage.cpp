// SPDX-License-Identifier: MIT
#include "qxdec/ExecutableImage.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/Files.h"
#include "platform/FileHolder.h"

namespace {

class ImageReader {
public:
    explicit ImageReader(std::FILE* file) : file_(file) {}
    // Reads count bytes at offset; false when they are not all there.
    bool ReadAt(uint64_t offset, void* buffer, size_t count) {
        return platform::SeekFile(file_, static_cast<int64_t>(offset), SEEK_SET) &&
               platform::ReadFile(file_, buffer, count) == count;
    }

private:
    std::FILE* file_;
};

uint64_t Little(const unsigned char* p, int bytes) {
    uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | p[i];
    return value;
}

// ELF: the end of the section header table, of the program header table,
// or of the last section or segment with file contents, whichever is later.
int64_t ElfLength(ImageReader& reader, const unsigned char* header) {
    const bool is64 = header[4] == 2;
    if (header[5] != 1) return -1;  // only little-endian images are built here
    const uint64_t phoff = is64 ? Little(header + 0x20, 8) : Little(header + 0x1C, 4);
    const uint64_t shoff = is64 ? Little(header + 0x28, 8) : Little(header + 0x20, 4);
    const uint64_t phentsize = Little(header + (is64 ? 0x36 : 0x2A), 2);
    const uint64_t phnum = Little(header + (is64 ? 0x38 : 0x2C), 2);
    const uint64_t shentsize = Little(header + (is64 ? 0x3A : 0x2E), 2);
    const uint64_t shnum = Little(header + (is64 ? 0x3C : 0x30), 2);
    uint64_t end = std::max(phoff + phentsize * phnum, shoff + shentsize * shnum);
    unsigned char entry[64];
    for (uint64_t i = 0; i < shnum && shentsize <= sizeof entry; ++i) {
        if (!reader.ReadAt(shoff + i * shentsize, entry, shentsize)) return -1;
        const uint32_t type = static_cast<uint32_t>(Little(entry + 4, 4));
        if (type == 8) continue;  // SHT_NOBITS occupies no file space
        const uint64_t offset = is64 ? Little(entry + 0x18, 8) : Little(entry + 0x10, 4);
        const uint64_t size = is64 ? Little(entry + 0x20, 8) : Little(entry + 0x14, 4);
        end = std::max(end, offset + size);
    }
    for (uint64_t i = 0; i < phnum && phentsize <= sizeof entry; ++i) {
        if (!reader.ReadAt(phoff + i * phentsize, entry, phentsize)) return -1;
        const uint64_t offset = is64 ? Little(entry + 0x08, 8) : Little(entry + 0x04, 4);
        const uint64_t size = is64 ? Little(entry + 0x20, 8) : Little(entry + 0x10, 4);
        end = std::max(end, offset + size);
    }
    return static_cast<int64_t>(end);
}

// PE: the end of the last section's raw data or of the COFF symbol and
// string tables, whichever is later.
int64_t PeLength(ImageReader& reader, const unsigned char* header) {
    const uint64_t peOffset = Little(header + 0x3C, 4);
    unsigned char coff[24];
    if (!reader.ReadAt(peOffset, coff, sizeof coff) || std::memcmp(coff, "PE\0\0", 4) != 0) return -1;
    const uint64_t sectionCount = Little(coff + 6, 2);
    const uint64_t symbolTable = Little(coff + 12, 4);
    const uint64_t symbolCount = Little(coff + 16, 4);
    const uint64_t optionalSize = Little(coff + 20, 2);
    const uint64_t sections = peOffset + sizeof coff + optionalSize;
    uint64_t end = sections + 40 * sectionCount;
    unsigned char section[40];
    for (uint64_t i = 0; i < sectionCount; ++i) {
        if (!reader.ReadAt(sections + 40 * i, section, sizeof section)) return -1;
        const uint64_t rawSize = Little(section + 16, 4);
        const uint64_t rawOffset = Little(section + 20, 4);
        if (rawSize > 0) end = std::max(end, rawOffset + rawSize);
    }
    if (symbolTable != 0) {
        const uint64_t strings = symbolTable + 18 * symbolCount;
        unsigned char length[4];
        uint64_t stringsSize = 4;
        if (reader.ReadAt(strings, length, 4)) stringsSize = std::max<uint64_t>(4, Little(length, 4));
        end = std::max(end, strings + stringsSize);
    }
    return static_cast<int64_t>(end);
}

}  // namespace

int64_t ExecutableImageLength(const std::string& path) {
    FileHolder file(platform::OpenForReading(path));
    if (!file.Get()) return -1;
    ImageReader reader(file.Get());
    unsigned char header[64];
    if (!reader.ReadAt(0, header, sizeof header)) return -1;
    if (std::memcmp(header, "\x7F" "ELF", 4) == 0) return ElfLength(reader, header);
    if (header[0] == 'M' && header[1] == 'Z') return PeLength(reader, header);
    return -1;
}
