#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "archive/ArchiveStream.h"
#include "codec/HuffmanDecoder.h"
#include "reader/LoadDirectory.h"
#include "qx1.h"

// The library's archive: the entries of an opened archive, and their data
// decoded block by block on demand. Where a block begins in the stream is
// remembered (for blocks at least 1 KB apart), and the last decoded block is
// kept, so entries can be read in any order without decoding from the start
// again.
//
// Memory beyond the directory block: the entry list is made only when
// asked for (60 bytes an entry and the UTF-8 names in one arena); a test
// needs none of it.
class ArchiveReader {
public:
    using ProgressFunction = int (*)(void* user, uint64_t done, uint64_t total);

    // Opens the archive in stream; password is UTF-8 or null. A QX1_ code.
    int Open(std::unique_ptr<ArchiveStream> source, const char* password);

    size_t Count() const { return count; }
    uint64_t TotalSize() const { return totalSize; }
    // Makes the entry list when it is not made yet. A QX1_ code.
    int List();
    // The entry at index (the list is made first); null past the end or when
    // the list cannot be made.
    const qx1_entry* Entry(size_t index);
    // What makes entry index's name unusable as a file name, in English;
    // null when nothing does.
    const char* NameProblem(size_t index) const;

    // Decodes the block that holds entry index; data then points at its
    // bytes until the next call. A QX1_ code.
    int EntryData(size_t index, const unsigned char*& data, size_t& size);
    // Decodes every block; a QX1_ code.
    int Test();
    // Writes entry index below dir at path (UTF-8, '/' separators; null for
    // the entry's own name). A QX1_ code.
    int ExtractEntry(size_t index, const char* dir, const char* path, unsigned flags);

    void SetProgress(ProgressFunction function, void* user) {
        progress = function;
        progressUser = user;
    }

private:
    static constexpr size_t kNone = SIZE_MAX;

    // A block of the plan: its number, its first entry, and where its bytes
    // begin among all entry data.
    struct BlockAt {
        size_t block = 0;
        size_t first = 0;
        uint64_t offset = 0;
    };
    // A place where the decoder can start again: the start of block at.
    struct Mark {
        BlockAt at;
        HuffmanDecoder::Position position;
    };

    // The entry behind the last of the block that starts at first, and the
    // block's size.
    size_t BlockEnd(size_t first, uint64_t& size) const;
    int DecodeBlock(size_t b);
    int ExpandNext();
    bool StartAtMark(size_t b);

    std::unique_ptr<ArchiveStream> stream;
    int64_t streamStart = 0;  // file offset of the compressed stream
    LoadedDirectory loaded;
    size_t count = 0;
    uint64_t totalSize = 0;

    std::vector<qx1_entry> entries;  // empty until List
    std::vector<uint64_t> offsets;   // where each entry begins among all entry data
    std::vector<char> names;         // the entries' UTF-8 names, each ending in a zero

    std::vector<Mark> marks;     // block starts, in stream order; block 0 first
    BlockAt next;                // the block whose start the decoder stands at,
    bool decoderReady = false;   // when this is set
    BlockAt decoded;             // the block whose bytes are in blockArea,
    bool areaFilled = false;     // when this is set
    size_t failedBlock = kNone;  // the first block found damaged
    unsigned char* blockArea = nullptr;  // the engine's, made at the first block

    ProgressFunction progress = nullptr;
    void* progressUser = nullptr;
};
