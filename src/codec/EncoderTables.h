#pragma once

#include <cstdint>
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

    // The slots of the current row (context data[pos - 1]) whose strings
    // agree with data[pos..] in at least two bytes, most recently filed
    // first; common is counted up to maxLength. At most maxVisits slots are
    // looked at. Returns the longest common length, 0 when there is none.
    int32_t FindCandidates(int32_t pos, int32_t maxLength, int maxVisits, std::vector<Candidate>& out) const;

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
