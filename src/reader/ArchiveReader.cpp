// SPDX-License-Identifier: MIT
#include "reader/ArchiveReader.h"

#include <algorithm>
#include <new>

#include "platform/Memory.h"
#include "reader/BlockSteps.h"

namespace {

// Progress is reported between steps of this many decoded bytes.
constexpr int32_t kProgressStep = 1 << 20;
// A block's start is remembered when at least this many bytes of entry data
// lie between it and the last one remembered: reading an entry then decodes
// at most about this much that it does not need, and the marks (40 bytes
// each) take memory in proportion to the data, at most 4 %, not to the
// number of blocks, which a hostile directory can make huge.
constexpr uint64_t kMarkSpacing = 1 << 10;

}  // namespace

ReadFault ArchiveReader::Open(std::unique_ptr<ArchiveStream> source, const PasswordSource& password) {
    stream = std::move(source);
    if (const ReadFault fault = OpenArchiveStream(*stream, password, opened); fault != ReadFault::None) return fault;
    const ArchiveDirectory& directory = Directory();
    count = static_cast<size_t>(directory.count);
    for (size_t i = 0; i < count; ++i) totalSize += static_cast<uint64_t>(directory.sizes[i]);
    marks.push_back({BlockAt{}, opened.loaded.engine->decoder.Mark()});
    next = BlockAt{};
    decoderReady = true;
    return ReadFault::None;
}

size_t ArchiveReader::BlockEnd(size_t first, uint64_t& size) const {
    const int32_t* sizes = Directory().sizes;
    const auto largest = static_cast<uint64_t>(Directory().largestSize);
    size_t i = first;
    size = 0;
    do {
        size += static_cast<uint64_t>(sizes[i]);
        ++i;
    } while (i < count && size + static_cast<uint64_t>(sizes[i]) <= largest);
    return i;
}

ReadFault ArchiveReader::Locate() {
    if (!offsets.empty() || count == 0) return ReadFault::None;
    if (static_cast<uint64_t>(count) * 12 > platform::UsableMemory()) return ReadFault::NoMemory;
    try {
        offsets.resize(count);
        uint64_t offset = 0;
        for (size_t first = 0; first < count;) {
            uint64_t size = 0;
            const size_t end = BlockEnd(first, size);
            blockFirsts.push_back(static_cast<uint32_t>(first));
            for (size_t i = first; i < end; ++i) {
                offsets[i] = offset;
                offset += static_cast<uint64_t>(Directory().sizes[i]);
            }
            first = end;
        }
        blockFirsts.shrink_to_fit();
    } catch (const std::bad_alloc&) {
        offsets = {};
        blockFirsts = {};
        return ReadFault::NoMemory;
    }
    return ReadFault::None;
}

ReadFault ArchiveReader::BlockOf(size_t index, uint32_t& block) {
    if (const ReadFault fault = Locate(); fault != ReadFault::None) return fault;
    const auto after = std::upper_bound(blockFirsts.begin(), blockFirsts.end(), static_cast<uint32_t>(index));
    block = static_cast<uint32_t>(after - blockFirsts.begin() - 1);
    return ReadFault::None;
}

bool ArchiveReader::StartAtMark(size_t b) {
    // The last mark at or before block b.
    const auto after = std::upper_bound(marks.begin(), marks.end(), b,
                                        [](size_t block, const Mark& mark) { return block < mark.at.block; });
    const Mark& mark = *(after - 1);
    decoderReady = false;
    const auto offset = static_cast<int64_t>(mark.position.BufferStart());
    if (!stream->Seek(opened.streamStart + offset, SEEK_SET) || !opened.loaded.engine->decoder.Restore(mark.position)) {
        return false;
    }
    next = mark.at;
    decoderReady = true;
    return true;
}

ReadFault ArchiveReader::ExpandNext() {
    uint64_t size = 0;
    const BlockAt at = next;
    const size_t end = BlockEnd(at.first, size);
    ExpansionEngine& engine = *opened.loaded.engine;
    areaFilled = false;
    const auto before = [&](int64_t pos) {
        return !progress || progress(at.offset + static_cast<uint64_t>(pos), totalSize);
    };
    const BlockSteps steps = ExpandInSteps(engine, blockArea, static_cast<int64_t>(size), kProgressStep, before);
    if (steps.stopped) {
        decoderReady = false;
        return ReadFault::Stopped;
    }
    if (steps.failedStep >= 0) {
        failedBlock = std::min(failedBlock, at.block);
        decoderReady = false;
        return steps.result == ExpandResult::BeyondArea ? ReadFault::BeyondArea : ReadFault::NoSuchData;
    }
    decoded = at;
    areaFilled = true;
    goodBlocks = std::max(goodBlocks, at.block + 1);
    next = {at.block + 1, end, at.offset + size};
    if (next.first < count && next.block > marks.back().at.block &&
        next.offset >= marks.back().at.offset + kMarkSpacing) {
        marks.push_back({next, engine.decoder.Mark()});
    }
    if (progress && !progress(at.offset + size, totalSize)) return ReadFault::Stopped;
    return ReadFault::None;
}

ReadFault ArchiveReader::DecodeBlock(size_t b) {
    if (areaFilled && decoded.block == b) return ReadFault::None;
    if (failedBlock != kNone && b >= failedBlock) return ReadFault::NoSuchData;
    if (!blockArea) {
        const auto largest = static_cast<uint64_t>(Directory().largestSize);
        if (largest > platform::UsableMemory() || !(blockArea = opened.loaded.engine->ReserveArea(largest))) {
            return ReadFault::NoMemory;
        }
    }
    // Go on from where the decoder stands when that is on the way to b and
    // no mark is nearer; else start at the last mark before b.
    const auto after = std::upper_bound(marks.begin(), marks.end(), b,
                                        [](size_t block, const Mark& mark) { return block < mark.at.block; });
    if (!decoderReady || next.block > b || next.block < (after - 1)->at.block) {
        if (!StartAtMark(b)) {
            failedBlock = std::min(failedBlock, (after - 1)->at.block);
            return ReadFault::CannotRead;
        }
    }
    for (;;) {
        const size_t expanding = next.block;
        if (const ReadFault fault = ExpandNext(); fault != ReadFault::None) return fault;
        if (expanding == b) return ReadFault::None;
    }
}

ReadFault ArchiveReader::EntryData(size_t index, const unsigned char*& data, size_t& size) {
    data = nullptr;
    size = 0;
    uint32_t block = 0;
    if (const ReadFault fault = BlockOf(index, block); fault != ReadFault::None) return fault;
    const auto entrySize = static_cast<size_t>(Directory().sizes[index]);
    if (entrySize == 0) return ReadFault::None;
    if (const ReadFault fault = DecodeBlock(block); fault != ReadFault::None) return fault;
    data = blockArea + (offsets[index] - decoded.offset);
    size = entrySize;
    return ReadFault::None;
}

ArchiveReader::BlockState ArchiveReader::StateOf(size_t b) const {
    if (b < goodBlocks) return BlockState::Decoded;
    if (failedBlock == kNone || b < failedBlock) return BlockState::Unknown;
    return b == failedBlock ? BlockState::Damaged : BlockState::Lost;
}

ReadFault ArchiveReader::Test() {
    for (size_t b = 0, first = 0; first < count; ++b) {
        uint64_t size = 0;
        first = BlockEnd(first, size);
        if (const ReadFault fault = DecodeBlock(b); fault != ReadFault::None) return fault;
    }
    return ReadFault::None;
}
