#pragma once

#include <cstdint>
#include <memory>

// The per-context slot tables of the dictionary coder: for each value c of
// the preceding byte, up to N remembered strings (where a step's output
// began and how long it was). Shared by the expansion engine and the
// encoder, which must keep them in lockstep.
class ContextTables {
public:
    static constexpr int32_t kEmpty = -1;

    ContextTables() = default;
    ContextTables(const ContextTables&) = delete;
    ContextTables& operator=(const ContextTables&) = delete;
    ~ContextTables();

    // N is 256 or 512. False when memory is short.
    bool Allocate(int tableSize, bool insertEveryPosition);
    // Empties every row.
    void Clear();

    // The slot offset symbols count from the head: (head + offset) mod N,
    // for a head and an offset both below N.
    unsigned SlotFromHead(unsigned c, unsigned offset) const {
        const unsigned slot = head[c] + offset;
        return slot >= tableSize ? slot - tableSize : slot;
    }

    int32_t& Source(unsigned c, unsigned slot) { return entries[c * tableSize + slot].source; }
    int32_t& Length(unsigned c, unsigned slot) { return entries[c * tableSize + slot].length; }

    // A slot as the decoder sees it: one at or above the row's high-water
    // mark is empty (kEmpty, length 0). Slots are filed in order from 0
    // until a row wraps (its mark is then N), and nothing writes above the
    // mark, so only slots below it hold what was filed since Clear.
    struct Entry;
    Entry Read(unsigned c, unsigned slot) const;

    // Called with (c, slot) after every change of an entry; the decoder
    // needs no notice, the encoder keeps its index of the rows with it.
    struct NoNotice {
        void operator()(unsigned, unsigned) const {}
    };

    // A remembered-length match on slot of row c re-files the head slot's
    // entry there, if the head slot holds one.
    template <typename Notice = NoNotice>
    void MoveHeadEntry(unsigned c, unsigned slot, Notice notice = {}) {
        const unsigned h = head[c];
        if (Read(c, h).source != kEmpty) {
            Source(c, slot) = Source(c, h);
            Length(c, slot) = Length(c, h);
            notice(c, slot);
        }
    }

    // Files the step of len bytes that ended at produced under its context
    // byte area[insertPos] (and, with insertEveryPosition, the step's later
    // positions in rows that have never wrapped). Returns the new insertPos,
    // produced - 1.
    template <typename Notice = NoNotice>
    int32_t Insert(const unsigned char* area, int32_t insertPos, int32_t produced, int32_t len, Notice notice = {}) {
        const unsigned n = tableSize;
        Entry* const rows = entries.get();
        unsigned c = area[insertPos];
        unsigned k = head[c];
        rows[c * n + k] = Entry{insertPos + 1, len};
        notice(c, k);
        ++k;
        if (highWater[c] < k) highWater[c] = static_cast<uint16_t>(k);
        head[c] = static_cast<uint16_t>(k == n ? 0 : k);
        ++insertPos;
        if (!insertEveryPosition) return produced - 1;
        // A row takes these entries only until it first wraps; until then
        // its head is its high-water mark, and afterwards the mark is N.
        // Most rows wrap early in a block, so the test comes first.
        // The entry at pos holds the rest of the step from there: its length
        // falls by one per position.
        const int32_t lengthBase = insertPos + len - 1;
        const int32_t last = produced - 1;
        for (; insertPos < last; ++insertPos) {
            c = area[insertPos];
            const unsigned h = highWater[c];
            if (h == n) continue;
            rows[c * n + h] = Entry{insertPos + 1, lengthBase - insertPos};
            notice(c, h);
            head[c] = static_cast<uint16_t>(h + 1 == n ? 0 : h + 1);
            highWater[c] = static_cast<uint16_t>(h + 1);
        }
        return insertPos;
    }

    uint16_t head[256] = {};
    uint16_t highWater[256] = {};
    // Each slot's source (a position in the area, kEmpty for none) and
    // length, side by side: a match reads both.
    struct Entry {
        int32_t source;
        int32_t length;
    };
    std::unique_ptr<Entry[]> entries;
    uint16_t tableSize = 256;
    bool insertEveryPosition = false;
};

inline ContextTables::Entry ContextTables::Read(unsigned c, unsigned slot) const {
    return slot < highWater[c] ? entries[c * tableSize + slot] : Entry{kEmpty, 0};
}
