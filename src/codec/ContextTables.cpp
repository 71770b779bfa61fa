#include "codec/ContextTables.h"

#include <algorithm>
#include <new>

namespace {

// The slots of the last tables of each size that ended on this thread,
// kept for the next ones: opening archive after archive (a script, a
// fuzzer) then maps no fresh megabyte each time.
struct SpareSlots {
    std::unique_ptr<int32_t[]> slots[2];
    bool ended = false;  // the thread is ending: tables ended later keep nothing
    ~SpareSlots() { ended = true; }

    // The kept slots for tables of N per row; null for any other N, and
    // once the thread is ending.
    std::unique_ptr<int32_t[]>* For(int n) {
        if (ended) return nullptr;
        return n == 256 ? &slots[0] : n == 512 ? &slots[1] : nullptr;
    }
};
thread_local SpareSlots spare;

}  // namespace

ContextTables::~ContextTables() {
    if (auto* kept = spare.For(tableSize); kept && !*kept) *kept = std::move(slots);
}

bool ContextTables::Allocate(int n, bool everyPosition) {
    insertEveryPosition = everyPosition;
    // Left unwritten: a slot at or above its row's high-water mark reads as
    // empty without being looked at (see Read).
    if (auto* kept = spare.For(n); kept && *kept) {
        slots = std::move(*kept);
    } else {
        slots.reset(new (std::nothrow) int32_t[size_t{2} * 256 * static_cast<size_t>(n)]);
    }
    tableSize = static_cast<uint16_t>(n);
    if (!slots) return false;
    sources = slots.get();
    lengths = sources + size_t{256} * static_cast<size_t>(n);
    std::fill(std::begin(filed), std::end(filed), 0u);
    return true;
}

void ContextTables::Clear() {
    // Every slot below a row's high-water mark was written since the last
    // Clear, and none above it is ever read: resetting the counts empties
    // the rows, at no cost for the slots that were used.
    std::fill(std::begin(filed), std::end(filed), 0u);
}
