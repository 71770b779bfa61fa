// SPDX-License-Identifier: MIT
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

#include "platform/Pages.h"

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
    // Room for extraBytes more (a block area) owned with the tables; where
    // the host backs memory with large pages, the slots move into one
    // allocation with it, so that both share them. Empties every row.
    // Null when memory is short; the tables are then as they were.
    unsigned char* Extend(size_t extraBytes);
    // Empties every row.
    void Clear();

    // Row c's head, the slot that its next entry fills, and its high-water
    // mark, how many of its slots were ever filled: both follow from the
    // number of entries filed in the row since Clear (N is a power of two).
    unsigned Head(unsigned c) const { return filed[c] & (tableSize - 1u); }
    unsigned HighWater(unsigned c) const { return filed[c] < tableSize ? filed[c] : tableSize; }

    // The slot offset symbols count from the head: (head + offset) mod N,
    // for an offset below N.
    unsigned SlotFromHead(unsigned c, unsigned offset) const { return (filed[c] + offset) & (tableSize - 1u); }

    // Where row c's slots begin in sources and in lengths.
    unsigned Row(unsigned c) const { return c * 2u * tableSize; }
    int32_t& Source(unsigned c, unsigned slot) { return sources[Row(c) + slot]; }
    int32_t& Length(unsigned c, unsigned slot) { return lengths[Row(c) + slot]; }
    int32_t Source(unsigned c, unsigned slot) const { return sources[Row(c) + slot]; }
    int32_t Length(unsigned c, unsigned slot) const { return lengths[Row(c) + slot]; }

    // A slot as the decoder sees it: one at or above the row's high-water
    // mark is empty (kEmpty, length 0). Slots are filed in order from 0
    // until a row wraps (its mark is then N), and nothing writes above the
    // mark, so only slots below it hold what was filed since Clear.
    // A slot is below N, so it is below the mark when it is below filed[c].
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
        const unsigned h = Head(c);
        if (Read(c, h).source != kEmpty) {
            Source(c, slot) = Source(c, h);
            Length(c, slot) = Length(c, h);
            notice(c, slot);
        }
    }

    // How Insert finds the rows of a step's later positions: by testing
    // each position's row, by looking positions up eight at a time in open
    // (quicker once rows have wrapped), or by whichever suits the tables as
    // they stand.
    enum class Filing { kEach, kLookup, kAsNeeded };

    // Files the step of len bytes that ended at produced under its context
    // byte area[insertPos] (and, with insertEveryPosition, the step's later
    // positions in rows that have never wrapped). Returns the new insertPos,
    // produced - 1.
    template <Filing How = Filing::kAsNeeded, typename Notice = NoNotice>
    int32_t Insert(const unsigned char* area, int32_t insertPos, int32_t produced, int32_t len, Notice notice = {}) {
        const unsigned n = tableSize;
        const unsigned row = 2 * n;
        int32_t* const from = sources;
        int32_t* const size = lengths;
        unsigned c = area[insertPos];
        uint32_t f = filed[c];
        const unsigned k = f & (n - 1);
        from[c * row + k] = insertPos + 1;
        size[c * row + k] = len;
        notice(c, k);
        filed[c] = f + 1;
        ++insertPos;
        if (!insertEveryPosition) return produced - 1;
        // A row takes these entries only until it first wraps, that is while
        // fewer than N were filed in it; its next slot is then that count.
        // The entry at pos holds the rest of the step from there: its length
        // falls by one per position.
        const int32_t lengthBase = insertPos + len - 1;
        const int32_t last = produced - 1;
        // False when pos's row has wrapped and takes no entry.
        auto fileAt = [&](int32_t pos) {
            const unsigned b = area[pos];
            const uint32_t g = filed[b];
            if (g >= n) return false;
            from[b * row + g] = pos + 1;
            size[b * row + g] = lengthBase - pos;
            notice(b, g);
            filed[b] = g + 1;
            return true;
        };
        if (How != Filing::kLookup && f + 1 >= n) someWrapped = true;
        const bool lookup = How == Filing::kLookup || (How == Filing::kAsNeeded && someWrapped);
        if (!lookup || last < 8) {
            for (; insertPos < last; ++insertPos) fileAt(insertPos);
            return insertPos;
        }
        // Once rows have wrapped, most positions fall in wrapped rows. The
        // positions are looked up eight at a time in open, and only those in
        // open rows are filed: the work and the branches then follow the
        // entries filed, not the length of the step.
        while (insertPos < last) {
            const int32_t take = last - insertPos < 8 ? last - insertPos : 8;
            const unsigned char* const eight = area + insertPos + take - 8;
            unsigned bits = 0;
            for (int j = 0; j < 8; ++j) bits |= unsigned{open[eight[j]]} << j;
            for (bits >>= 8 - take; bits != 0; bits &= bits - 1) {
                const int32_t pos = insertPos + std::countr_zero(bits);
                if (!fileAt(pos)) open[area[pos]] = 0;
            }
            insertPos += take;
        }
        return insertPos;
    }

    // Entries filed in each row since Clear. A block has fewer steps and
    // positions than 2^31, so the count cannot wrap.
    uint32_t filed[256] = {};
    // For Insert's lookup: 0 for each row that the lookup has found wrapped,
    // else 1 (a row that wraps keeps its 1 until the lookup meets it); and
    // whether a step's own entry has gone into a wrapped row yet.
    unsigned char open[256] = {};
    bool someWrapped = false;
    // A slot's source (a position in the area, kEmpty for none) and length.
    struct Entry {
        int32_t source;
        int32_t length;
    };
    // Row by row, the row's N sources and then its N lengths, in one
    // allocation (with the room of Extend after them, if there). Apart, not
    // side by side: a match with a decoded length reads only the source.
    // Together by row: a block that uses few rows touches few pages.
    platform::PageBlock slots;
    platform::PageBlock room;  // Extend's room, where it has its own block
    int32_t* sources = nullptr;
    int32_t* lengths = nullptr;  // sources + N: lengths[Row(c) + slot]
    uint16_t tableSize = 256;
    bool insertEveryPosition = false;
};

inline ContextTables::Entry ContextTables::Read(unsigned c, unsigned slot) const {
    if (slot >= filed[c]) return Entry{kEmpty, 0};
    const unsigned i = Row(c) + slot;
    return Entry{sources[i], lengths[i]};
}
