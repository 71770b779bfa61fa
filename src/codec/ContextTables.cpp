#include "codec/ContextTables.h"

#include <algorithm>
#include <new>

namespace {

// The slots of the last tables that ended on this thread, kept for the
// next ones: opening archive after archive (a script, a fuzzer) then maps
// no fresh megabyte each time. At most one set is kept per thread.
struct SpareSlots {
    std::unique_ptr<ContextTables::Entry[]> entries;
    uint16_t tableSize = 0;
};
thread_local SpareSlots spare;

}  // namespace

ContextTables::~ContextTables() {
    if (entries && !spare.entries) {
        spare.entries = std::move(entries);
        spare.tableSize = tableSize;
    }
}

bool ContextTables::Allocate(int n, bool everyPosition) {
    insertEveryPosition = everyPosition;
    // Left unwritten: a slot at or above its row's high-water mark reads as
    // empty without being looked at (see Read).
    if (spare.entries && spare.tableSize == n) {
        entries = std::move(spare.entries);
    } else {
        entries.reset(new (std::nothrow) Entry[size_t{256} * static_cast<size_t>(n)]);
    }
    tableSize = static_cast<uint16_t>(n);
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
