#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "archive/ArchiveStream.h"
#include "archive/BlockPlan.h"
#include "codec/HuffmanDecoder.h"
#include "extract/LoadDirectory.h"
#include "qx1.h"

// The library's archive: the entries of an opened archive, and their data
// decoded block by block on demand. It remembers where each block that it
// has passed begins in the stream, and keeps the last decoded block, so
// entries can be read in any order without decoding from the start again.
class ArchiveReader {
public:
    using ProgressFunction = int (*)(void* user, uint64_t done, uint64_t total);

    // Opens the archive in stream; password is UTF-8 or null. A QX1_ code.
    int Open(std::unique_ptr<ArchiveStream> source, const char* password);

    size_t Count() const { return entries.size(); }
    const qx1_entry* Entry(size_t index) const { return index < entries.size() ? &entries[index] : nullptr; }
    uint64_t TotalSize() const { return totalSize; }

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

    void ListEntries();
    int DecodeBlock(size_t b);
    int ExpandBlock(size_t b);
    bool MoveDecoderTo(size_t b);

    std::unique_ptr<ArchiveStream> stream;
    int64_t streamStart = 0;  // file offset of the compressed stream
    LoadedDirectory loaded;
    std::vector<Block> blocks;
    std::vector<uint64_t> blockOffsets;  // where each block's bytes begin among all entry data
    std::vector<qx1_entry> entries;
    std::vector<std::string> names;      // the entries' UTF-8 names
    std::vector<uint64_t> entryOffsets;  // where each entry begins inside its block
    uint64_t totalSize = 0;

    std::vector<HuffmanDecoder::Position> blockStarts;  // of blocks 0 .. size-1
    size_t decoderAt = kNone;   // the block whose start the decoder stands at
    size_t decoded = kNone;     // the block whose bytes are in blockArea
    size_t failedBlock = kNone; // the first block found damaged
    unsigned char* blockArea = nullptr;  // the engine's, made at the first block

    ProgressFunction progress = nullptr;
    void* progressUser = nullptr;
};
