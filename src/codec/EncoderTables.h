// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "codec/ContextTables.h"

// A string the current row offers at a position.
struct Candidate {
    uint16_t slot = 0;
    uint16_t offset = 0;      // from the row's head: the symbol's slot number
    int32_t common = 0;       // bytes that agree from here on
    int32_t remembered = 0;   // the slot's remembered length
};

// The encoder's copy of the engine's per-context rows, kept exactly as the
// decoder will keep them, with an index that finds the slots of a row by
// the two bytes their strings begin with.
class EncoderTables {
public:
    bool Init(int tableSize, bool insertEveryPosition);
    // Starts a block of data: every row empty.
    void StartBlock(const uint8_t* data, int32_t size);

    // Hands visit the slots of the current row (context data[pos - 1])
    // whose strings agree with data[pos..] in at least two bytes, most
    // recently filed first; common is counted up to maxLength. At most
    // maxVisits slots are looked at. Returns the longest common length, 0
    // when there is none.
    template <typename Visit>
    int32_t VisitCandidates(int32_t pos, int32_t maxLength, int maxVisits, Visit&& visit) const;

    // Takes the step at pos: a literal (len 1, slot unused) or a match of len
    // bytes from slot, with the remembered length or a decoded one.
    void Step(int32_t pos, int32_t len, bool match, bool remembered, unsigned slot);

    int TableSize() const { return tables.tableSize; }

private:
    static constexpr int kBucketBits = 18;
    uint32_t Bucket(unsigned c, unsigned b0, unsigned b1) const {
        return ((c << 16 | b0 << 8 | b1) * 2654435761u) >> (32 - kBucketBits);
    }
    void Reindex(unsigned c, unsigned slot);
    static int32_t CommonLength(const uint8_t* a, const uint8_t* b, int32_t start, int32_t limit);
    static uint64_t FirstBytes(const uint8_t* data, int32_t p, int32_t size);
    void Unlink(int32_t id);

    ContextTables tables;
    int rowShift = 8;  // log2 of N: a slot's id is its row times N plus the slot
    std::unique_ptr<int32_t[]> bucketHead;
    std::unique_ptr<int32_t[]> next;
    std::unique_ptr<int32_t[]> prev;
    std::unique_ptr<int32_t[]> bucketOf;  // -1 when the slot is in no bucket
    std::unique_ptr<uint64_t[]> firstBytes;  // of each linked slot's string, as FirstBytes gives them
    std::vector<int32_t> linked;          // slots that were ever linked in this block
    const uint8_t* data = nullptr;
    int32_t size = 0;
    int32_t insertPos = 0;
};

// How many bytes of a and b agree, up to limit, when the first start of
// them do (start at most limit); eight at a time where it can.
inline int32_t EncoderTables::CommonLength(const uint8_t* a, const uint8_t* b, int32_t start, int32_t limit) {
    int32_t n = start;
    while (n + 8 <= limit) {
        uint64_t x, y;
        std::memcpy(&x, a + n, 8);
        std::memcpy(&y, b + n, 8);
        if (x != y) {
            if constexpr (std::endian::native == std::endian::little) return n + std::countr_zero(x ^ y) / 8;
            break;
        }
        n += 8;
    }
    while (n < limit && a[n] == b[n]) ++n;
    return n;
}

// The eight bytes from data[p], the first in the lowest bits; zeros past
// the end of the block.
inline uint64_t EncoderTables::FirstBytes(const uint8_t* data, int32_t p, int32_t size) {
    uint64_t bytes = 0;
    if (p + 8 <= size) {
        std::memcpy(&bytes, data + p, 8);
        if constexpr (std::endian::native == std::endian::big) bytes = __builtin_bswap64(bytes);
        return bytes;
    }
    for (int i = 0; p + i < size; ++i) bytes |= uint64_t{data[p + i]} << (8 * i);
    return bytes;
}

template <typename Visit>
int32_t EncoderTables::VisitCandidates(int32_t pos, int32_t maxLength, int maxVisits, Visit&& visit) const {
    if (pos < 1 || pos + 1 >= size) return 0;
    const unsigned c = data[pos - 1];
    const unsigned mask = tables.tableSize - 1u;
    const uint8_t b0 = data[pos], b1 = data[pos + 1];
    const int32_t limit = std::min(maxLength, size - pos);
    const uint8_t* here = data + pos;
    // Searches mostly go forwards one position at a time: fetch the next
    // position's bucket while this one is searched.
    if (pos + 2 < size) __builtin_prefetch(&bucketHead[Bucket(b0, b1, data[pos + 2])]);
    // Most strings part within their first eight bytes: those kept beside
    // each slot tell how far without reading the string itself.
    const uint64_t mine = FirstBytes(data, pos, size);
    const int32_t known = std::min(8, limit);
    const unsigned head = tables.Head(c);  // offsets count from it; N is a power of two
    int32_t longest = 0;
    for (int32_t id = bucketHead[Bucket(c, b0, b1)]; id >= 0 && maxVisits > 0; id = next[id], --maxVisits) {
        if (static_cast<unsigned>(id) >> rowShift != c) continue;
        const uint64_t differ = firstBytes[id] ^ mine;
        if ((differ & 0xFFFF) != 0) continue;
        const unsigned slot = static_cast<unsigned>(id) & mask;
        const int32_t common = differ != 0 ? std::min(std::countr_zero(differ) / 8, limit)
                                           : CommonLength(data + tables.Source(c, slot), here, known, limit);
        longest = std::max(longest, common);
        visit(Candidate{static_cast<uint16_t>(slot), static_cast<uint16_t>((slot - head) & mask), common,
                        tables.Length(c, slot)});
    }
    return longest;
}
