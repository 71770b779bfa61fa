// SPDX-License-Identifier: MIT
#include "codec/EncoderTables.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

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

void EncoderTables::Step(int32_t pos, int32_t len, bool match, bool remembered, unsigned slot) {
    auto notice = [this](unsigned c, unsigned s) { Reindex(c, s); };
    if (match && remembered) tables.MoveHeadEntry(data[pos - 1], slot, notice);
    const int32_t produced = pos + len;
    if (insertPos < produced - 1) insertPos = tables.Insert(data, insertPos, produced, len, notice);
}
