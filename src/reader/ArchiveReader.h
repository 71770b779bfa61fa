// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "archive/ArchiveStream.h"
#include "codec/HuffmanDecoder.h"
#include "reader/OpenSequence.h"
#include "reader/ReadFault.h"

// An opened archive whose entries are decoded block by block on demand.
// Where a block begins in the stream is remembered (for blocks at least
// 1 KB apart), and the last decoded block is kept, so entries can be read
// in any order without decoding from the start again.
//
// Memory beyond the directory block: where each entry's data lie (8 bytes
// an entry, 4 a block), made only when an entry is read; a test needs none.
class ArchiveReader {
public:
    // done and total count entry bytes; false stops the decode.
    using Progress = std::function<bool(uint64_t done, uint64_t total)>;

    ReadFault Open(std::unique_ptr<ArchiveStream> source, const PasswordSource& password);

    size_t Count() const { return count; }
    uint64_t TotalSize() const { return totalSize; }
    const ArchiveDirectory& Directory() const { return *opened.loaded.directory; }
    // Entry index's name as stored, and the block that holds it.
    std::string_view StoredName(size_t index) const { return Directory().names.Stored(index); }
    ReadFault BlockOf(size_t index, uint32_t& block);

    // Decodes the block that holds entry index; data then points at its
    // bytes until the next call (null for an empty entry).
    ReadFault EntryData(size_t index, const unsigned char*& data, size_t& size);
    // Decodes every block.
    ReadFault Test();

    // What is known of block b's data: decoded whole, found damaged, lying
    // behind damage (the stream cannot be followed past it), or not decoded
    // yet.
    enum class BlockState { Decoded, Damaged, Lost, Unknown };
    BlockState StateOf(size_t b) const;

    void SetProgress(Progress function) { progress = std::move(function); }
    // True once the archive's source failed to give its bytes.
    bool SourceFailed() const { return stream && stream->Failed(); }

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

    // Where each entry's data lie and which blocks begin where; made once.
    ReadFault Locate();
    // The entry behind the last of the block that starts at first, and the
    // block's size.
    size_t BlockEnd(size_t first, uint64_t& size) const;
    ReadFault DecodeBlock(size_t b);
    ReadFault ExpandNext();
    bool StartAtMark(size_t b);

    std::unique_ptr<ArchiveStream> stream;
    OpenedArchive opened;
    size_t count = 0;
    uint64_t totalSize = 0;

    std::vector<uint64_t> offsets;      // where each entry begins among all entry data
    std::vector<uint32_t> blockFirsts;  // each block's first entry

    std::vector<Mark> marks;     // block starts, in stream order; block 0 first
    BlockAt next;                // the block whose start the decoder stands at,
    bool decoderReady = false;   // when this is set
    BlockAt decoded;             // the block whose bytes are in blockArea,
    bool areaFilled = false;     // when this is set
    size_t failedBlock = kNone;  // the first block found damaged
    size_t goodBlocks = 0;       // blocks 0 .. goodBlocks - 1 expanded whole
    unsigned char* blockArea = nullptr;  // the engine's, made at the first block

    Progress progress;
};
