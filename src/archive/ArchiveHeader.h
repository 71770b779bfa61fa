// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <cstdio>

class ArchiveStream;

// The 20-byte header at the start of an archive.
struct ArchiveHeader {
    static constexpr int kSize = 20;
    static constexpr unsigned char kLargeTables = 0x01;
    static constexpr unsigned char kInsertEveryPosition = 0x02;
    static constexpr unsigned char kPassword = 0x04;

    unsigned char flags = 0;
    unsigned char passwordCheck = 0;
    int32_t totalSize = 0;
    int32_t directorySize = 0;
    int32_t entryCount = 0;

    // Reads the fields of a header that starts with the signature.
    static ArchiveHeader Parse(const unsigned char* bytes);
    // Writes the header with the magic "qx010500" in front of the fields.
    void Write(unsigned char* bytes) const;
    static bool HasSignature(const unsigned char* bytes);
};

enum class HeaderSearch { Found, ShortFile, NotAnArchive };

// Finds the header at offset 0 or through the 4-byte trailer at the end of
// the file, and leaves the stream positioned right behind it.
HeaderSearch FindArchiveHeader(ArchiveStream& stream, ArchiveHeader& header);

uint32_t ReadBigEndian32(const unsigned char* bytes);
void WriteBigEndian32(unsigned char* bytes, uint32_t value);
