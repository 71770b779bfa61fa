// SPDX-License-Identifier: MIT
#include "codec/CodeLengths.h"

#include <algorithm>
#include <numeric>

namespace {

// An item of package-merge: a leaf (one symbol, by its place in the sorted
// order) or a package of two neighbouring items of the level below.
struct Item {
    uint64_t weight;
    int32_t ref;  // package: index of its first item in the level below; leaf: ~place
};

}  // namespace

// Package-merge: the optimal length-limited prefix code. Each symbol's
// length is the number of levels whose chosen items include it.
std::vector<uint8_t> BuildCodeLengths(const std::vector<uint64_t>& frequencies, int maxLength) {
    const size_t n = frequencies.size();
    std::vector<uint8_t> lengths(n, 0);
    if (n < 2) {
        std::fill(lengths.begin(), lengths.end(), uint8_t{1});
        return lengths;
    }
    std::vector<size_t> order(n);
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return frequencies[a] < frequencies[b]; });

    // All levels in one array: level 0 is the leaves, each level above is
    // the leaves merged with the packages of the level below (a leaf goes
    // first among equal weights). No level holds more than 2n items.
    const auto levelCount = static_cast<size_t>(maxLength);
    std::vector<Item> items;
    items.reserve(levelCount * 2 * n);
    std::vector<size_t> start(levelCount + 1, 0);
    for (size_t i = 0; i < n; ++i) items.push_back(Item{frequencies[order[i]], ~static_cast<int32_t>(i)});
    start[1] = n;
    for (size_t level = 1; level < levelCount; ++level) {
        const size_t below = start[level - 1];
        const size_t belowCount = start[level] - below;
        size_t leaf = 0;
        for (size_t p = 0; p + 1 < belowCount; p += 2) {
            const uint64_t weight = items[below + p].weight + items[below + p + 1].weight;
            for (; leaf < n && items[leaf].weight <= weight; ++leaf) items.push_back(items[leaf]);
            items.push_back(Item{weight, static_cast<int32_t>(p)});
        }
        for (; leaf < n; ++leaf) items.push_back(items[leaf]);
        start[level + 1] = items.size();
    }

    // Take the 2n - 2 cheapest items of the last level and count, through
    // the packages, how often each leaf is used.
    std::vector<uint32_t> counts(n, 0);
    size_t take = 2 * n - 2;
    for (size_t level = levelCount; level-- > 0;) {
        size_t packagesUsed = 0;
        for (size_t i = 0; i < take; ++i) {
            const Item& item = items[start[level] + i];
            if (item.ref < 0) ++counts[static_cast<size_t>(~item.ref)];
            else ++packagesUsed;
        }
        take = 2 * packagesUsed;
    }
    for (size_t i = 0; i < n; ++i) lengths[order[i]] = static_cast<uint8_t>(counts[i]);
    return lengths;
}
