#include "codec/ContextTables.h"

#include <algorithm>
#include <new>

bool ContextTables::Allocate(int n, bool everyPosition) {
    tableSize = static_cast<uint16_t>(n);
    insertEveryPosition = everyPosition;
    const size_t count = size_t{256} * tableSize;
    // Left unwritten: a slot at or above its row's high-water mark reads as
    // empty without being looked at (see Read).
    entries.reset(new (std::nothrow) Entry[count]);
    if (!entries) return false;
    std::fill(std::begin(head), std::end(head), uint16_t{0});
    std::fill(std::begin(highWater), std::end(highWater), uint16_t{0});
    return true;
}

void ContextTables::Clear() {
    // Every slot below a row's high-water mark was written since the last
    // Clear, and none above it is ever read: resetting the marks empties
    // the rows, at no cost for the slots that were used.
    std::fill(std::begin(head), std::end(head), uint16_t{0});
    std::fill(std::begin(highWater), std::end(highWater), uint16_t{0});
}
