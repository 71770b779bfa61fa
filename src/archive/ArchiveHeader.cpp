// SPDX-License-Identifier: MIT
#include "archive/ArchiveHeader.h"

#include <cstring>

#include "archive/ArchiveStream.h"

namespace {
// The magic "qx010500", kept in two pieces so that the program holds no
// copy of an archive's first bytes: in a self-extracting file, the first
// "qx0105" is then the archive's header (the file type rules look for it).
constexpr char kSignature[] = "qx01";
constexpr char kVersion[] = "0500";
}

uint32_t ReadBigEndian32(const unsigned char* b) {
    return (uint32_t{b[0]} << 24) | (uint32_t{b[1]} << 16) | (uint32_t{b[2]} << 8) | b[3];
}

void WriteBigEndian32(unsigned char* b, uint32_t v) {
    b[0] = static_cast<unsigned char>(v >> 24);
    b[1] = static_cast<unsigned char>(v >> 16);
    b[2] = static_cast<unsigned char>(v >> 8);
    b[3] = static_cast<unsigned char>(v);
}

bool ArchiveHeader::HasSignature(const unsigned char* bytes) { return std::memcmp(bytes, kSignature, 4) == 0; }

ArchiveHeader ArchiveHeader::Parse(const unsigned char* bytes) {
    ArchiveHeader header;
    header.flags = bytes[6];
    header.passwordCheck = bytes[7];
    header.totalSize = static_cast<int32_t>(ReadBigEndian32(bytes + 8));
    header.directorySize = static_cast<int32_t>(ReadBigEndian32(bytes + 12));
    header.entryCount = static_cast<int32_t>(ReadBigEndian32(bytes + 16));
    return header;
}

void ArchiveHeader::Write(unsigned char* bytes) const {
    std::memcpy(bytes, kSignature, 4);
    std::memcpy(bytes + 4, kVersion, 4);
    bytes[6] = flags;
    bytes[7] = passwordCheck;
    WriteBigEndian32(bytes + 8, static_cast<uint32_t>(totalSize));
    WriteBigEndian32(bytes + 12, static_cast<uint32_t>(directorySize));
    WriteBigEndian32(bytes + 16, static_cast<uint32_t>(entryCount));
}

HeaderSearch FindArchiveHeader(ArchiveStream& stream, ArchiveHeader& header) {
    unsigned char bytes[ArchiveHeader::kSize];
    if (stream.ReadRaw(bytes, ArchiveHeader::kSize) < ArchiveHeader::kSize) return HeaderSearch::ShortFile;
    if (!ArchiveHeader::HasSignature(bytes)) {
        unsigned char trailer[4];
        if (!stream.Seek(-4, SEEK_END) || stream.ReadRaw(trailer, 4) < 4) {
            return HeaderSearch::NotAnArchive;
        }
        const int64_t archiveLength = ReadBigEndian32(trailer);
        const int64_t end = stream.Tell();
        const int64_t start = end - 4 - archiveLength;
        if (start < 0 || !stream.Seek(start, SEEK_SET) || stream.ReadRaw(bytes, ArchiveHeader::kSize) < ArchiveHeader::kSize ||
            !ArchiveHeader::HasSignature(bytes)) {
            return HeaderSearch::NotAnArchive;
        }
    }
    header = ArchiveHeader::Parse(bytes);
    return HeaderSearch::Found;
}
