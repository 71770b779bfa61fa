#include "codec/EncoderTables.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

namespace {

// How many bytes of a and b agree, up to limit, when the first start of
// them do (start at most limit); eight at a time where it can.
int32_t CommonLength(const uint8_t* a, const uint8_t* b, int32_t start, int32_t limit) {
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
uint64_t FirstBytes(const uint8_t* data, int32_t p, int32_t size) {
    uint64_t bytes = 0;
    if (p + 8 <= size) {
        std::memcpy(&bytes, data + p, 8);
        if constexpr (std::endian::native == std::endian::big) bytes = __builtin_bswap64(bytes);
        return bytes;
    }
    for (int i = 0; p + i < size; ++i) bytes |= uint64_t{data[p + i]} << (8 * i);
    return bytes;
}

}  // namespace

bool EncoderTables::Init(int n, bool everyPosition) {
    if (!tables.Allocate(n, everyPosition)) return false;
    rowShift = std::countr_zero(static_cast<unsigned>(n));
    const size_t slots = size_t{256} * static_cast<size_t>(n);
    bucketHead.reset(new (std::nothrow) int32_t[size_t{1} << kBucketBits]);
    next.reset(new (std::nothrow) int32_t[slots]);
    prev.reset(new (std::nothrow) int32_t[slots]);
    bucketOf.reset(new (std::nothrow) int32_t[slots]);
    firstBytes.reset(new (std::nothrow) uint64_t[slots]);
    if (!bucketHead || !next || !prev || !bucketOf || !firstBytes) return false;
    std::fill(bucketHead.get(), bucketHead.get() + (size_t{1} << kBucketBits), -1);
    std::fill(bucketOf.get(), bucketOf.get() + slots, -1);
    return true;
}

void EncoderTables::StartBlock(const uint8_t* blockData, int32_t blockSize) {
    for (int32_t id : linked) {
        if (bucketOf[id] >= 0) bucketHead[bucketOf[id]] = -1;
        bucketOf[id] = -1;
    }
    linked.clear();
    tables.Clear();
    data = blockData;
    size = blockSize;
    insertPos = 0;
}

void EncoderTables::Unlink(int32_t id) {
    const int32_t bucket = bucketOf[id];
    if (bucket < 0) return;
    if (prev[id] >= 0) {
        next[prev[id]] = next[id];
    } else {
        bucketHead[bucket] = next[id];
    }
    if (next[id] >= 0) prev[next[id]] = prev[id];
    bucketOf[id] = -1;
}

void EncoderTables::Reindex(unsigned c, unsigned slot) {
    const int32_t id = static_cast<int32_t>(c * tables.tableSize + slot);
    if (bucketOf[id] < 0) linked.push_back(id);
    Unlink(id);
    // Called right after the slot was written (before its row's mark moves).
    const int32_t src = tables.Source(c, slot);
    if (src < 0 || src + 1 >= size) return;
    const auto bucket = static_cast<int32_t>(Bucket(c, data[src], data[src + 1]));
    next[id] = bucketHead[bucket];
    prev[id] = -1;
    if (next[id] >= 0) prev[next[id]] = id;
    bucketHead[bucket] = id;
    bucketOf[id] = bucket;
    firstBytes[id] = FirstBytes(data, src, size);
}

int32_t EncoderTables::FindCandidates(int32_t pos, int32_t maxLength, int maxVisits, std::vector<Candidate>& out) const {
    out.clear();
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
        const ContextTables::Entry entry = tables.entries[static_cast<size_t>(id)];
        const int32_t common = differ != 0 ? std::min(std::countr_zero(differ) / 8, limit)
                                           : CommonLength(data + entry.source, here, known, limit);
        longest = std::max(longest, common);
        const unsigned slot = static_cast<unsigned>(id) & mask;
        out.push_back(Candidate{static_cast<uint16_t>(slot), static_cast<uint16_t>((slot - head) & mask), common, entry.length});
    }
    return longest;
}

void EncoderTables::Step(int32_t pos, int32_t len, bool match, bool remembered, unsigned slot) {
    auto notice = [this](unsigned c, unsigned s) { Reindex(c, s); };
    if (match && remembered) tables.MoveHeadEntry(data[pos - 1], slot, notice);
    const int32_t produced = pos + len;
    if (insertPos < produced - 1) insertPos = tables.Insert(data, insertPos, produced, len, notice);
}
