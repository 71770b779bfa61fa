#include "codec/ContextTables.h"

#include <algorithm>
#include <new>

bool ContextTables::Allocate(int n, bool everyPosition) {
    tableSize = static_cast<uint16_t>(n);
    insertEveryPosition = everyPosition;
    const size_t entries = size_t{256} * tableSize;
    sources.reset(new (std::nothrow) int32_t[entries]);
    lengths.reset(new (std::nothrow) int32_t[entries]);
    if (!sources || !lengths) return false;
    std::fill(sources.get(), sources.get() + entries, kEmpty);
    std::fill(lengths.get(), lengths.get() + entries, 0);
    std::fill(std::begin(head), std::end(head), uint16_t{0});
    std::fill(std::begin(highWater), std::end(highWater), uint16_t{0});
    return true;
}

void ContextTables::Clear() {
    // Only rows that were ever filled hold anything: a slot is written only
    // at the head or, by MoveHeadEntry, in a row whose head slot is filled.
    for (unsigned c = 0; c < 256; ++c) {
        if (highWater[c] == 0) continue;
        std::fill(&Source(c, 0), &Source(c, 0) + tableSize, kEmpty);
        std::fill(&Length(c, 0), &Length(c, 0) + tableSize, 0);
        head[c] = 0;
        highWater[c] = 0;
    }
}
