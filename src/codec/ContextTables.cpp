// SPDX-License-Identifier: MIT
#include "codec/ContextTables.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace {

size_t SlotBytes(int n) { return size_t{2} * 256 * static_cast<size_t>(n) * sizeof(int32_t); }

// The slots of the last tables of each size that ended on this thread,
// kept for the next ones: opening archive after archive (a script, a
// fuzzer) then maps no fresh megabytes each time. A block area joined to
// them is kept too, up to a few megabytes in all.
constexpr size_t kKeptAtMost = size_t{4} << 20;

struct SpareSlots {
    platform::PageBlock slots[2];
    bool ended = false;  // the thread is ending: tables ended later keep nothing
    ~SpareSlots() { ended = true; }

    // The kept slots for tables of N per row; null for any other N, and
    // once the thread is ending.
    platform::PageBlock* For(int n) {
        if (ended) return nullptr;
        return n == 256 ? &slots[0] : n == 512 ? &slots[1] : nullptr;
    }
    // Keeps block, the slots of N per row, if none are kept.
    void Keep(platform::PageBlock& block, int n) {
        if (auto* kept = For(n); kept && !kept->Get() && block.Size() <= kKeptAtMost) *kept = std::move(block);
    }
};
thread_local SpareSlots spare;

}  // namespace

ContextTables::~ContextTables() { spare.Keep(slots, tableSize); }

bool ContextTables::Allocate(int n, bool everyPosition) {
    insertEveryPosition = everyPosition;
    // Left unwritten: a slot at or above its row's high-water mark reads as
    // empty without being looked at (see Read).
    if (auto* kept = spare.For(n); kept && kept->Get()) {
        slots = std::move(*kept);
    } else {
        slots.Allocate(SlotBytes(n));
    }
    tableSize = static_cast<uint16_t>(n);
    if (!slots.Get()) return false;
    sources = reinterpret_cast<int32_t*>(slots.Get());
    lengths = sources + n;
    Clear();
    return true;
}

unsigned char* ContextTables::Extend(size_t extraBytes) {
    const size_t bytes = SlotBytes(tableSize);
    const bool fits = extraBytes <= SIZE_MAX - bytes;
    if (fits && slots.Size() >= bytes + extraBytes) {
        // Kept slots from earlier tables, with room enough after them.
        Clear();
        return slots.Get() + bytes;
    }
    if (fits && platform::LargePages()) {
        platform::PageBlock joined;
        if (joined.Allocate(bytes + extraBytes)) {
            slots = std::move(joined);
            room.Release();
            sources = reinterpret_cast<int32_t*>(slots.Get());
            lengths = sources + tableSize;
            Clear();
            return slots.Get() + bytes;
        }
    }
    if (!room.Allocate(extraBytes)) return nullptr;
    Clear();
    return room.Get();
}

void ContextTables::Clear() {
    // Every slot below a row's high-water mark was written since the last
    // Clear, and none above it is ever read: resetting the counts empties
    // the rows, at no cost for the slots that were used.
    std::fill(std::begin(filed), std::end(filed), 0u);
    std::fill(std::begin(open), std::end(open), 1);
    someWrapped = false;
}
