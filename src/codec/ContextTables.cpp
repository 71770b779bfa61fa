#include "codec/ContextTables.h"

#include <algorithm>
#include <new>

bool ContextTables::Allocate(int n, bool everyPosition) {
    tableSize = static_cast<uint16_t>(n);
    insertEveryPosition = everyPosition;
    const size_t count = size_t{256} * tableSize;
    entries.reset(new (std::nothrow) Entry[count]);
    if (!entries) return false;
    std::fill(entries.get(), entries.get() + count, Entry{kEmpty, 0});
    std::fill(std::begin(head), std::end(head), uint16_t{0});
    std::fill(std::begin(highWater), std::end(highWater), uint16_t{0});
    return true;
}

void ContextTables::Clear() {
    // Only rows that were ever filled hold anything: a slot is written only
    // at the head or, by MoveHeadEntry, in a row whose head slot is filled.
    for (unsigned c = 0; c < 256; ++c) {
        if (highWater[c] == 0) continue;
        std::fill(&entries[c * tableSize], &entries[c * tableSize] + tableSize, Entry{kEmpty, 0});
        head[c] = 0;
        highWater[c] = 0;
    }
}
