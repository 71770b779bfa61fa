#include "codec/CodeLengths.h"

#include <algorithm>
#include <numeric>

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

    // An item is a weight and the multiset of symbols it packs, stored as
    // counts per symbol position in `order`, kept lazily as child links.
    struct Item {
        uint64_t weight;
        int left;   // package: index into previous level, or -1 for a leaf
        int right;
        size_t leaf;
    };
    std::vector<std::vector<Item>> levels(static_cast<size_t>(maxLength));
    std::vector<Item> leaves;
    for (size_t i = 0; i < n; ++i) leaves.push_back(Item{frequencies[order[i]], -1, -1, i});

    levels[0] = leaves;
    for (int level = 1; level < maxLength; ++level) {
        const std::vector<Item>& previous = levels[static_cast<size_t>(level - 1)];
        std::vector<Item> packages;
        for (size_t i = 0; i + 1 < previous.size(); i += 2) {
            packages.push_back(Item{previous[i].weight + previous[i + 1].weight, static_cast<int>(i),
                                    static_cast<int>(i + 1), 0});
        }
        std::vector<Item> merged;
        merged.reserve(leaves.size() + packages.size());
        std::merge(leaves.begin(), leaves.end(), packages.begin(), packages.end(), std::back_inserter(merged),
                   [](const Item& a, const Item& b) { return a.weight < b.weight; });
        levels[static_cast<size_t>(level)] = std::move(merged);
    }

    // Take the 2n - 2 cheapest items of the last level and count, through
    // the packages, how often each leaf is used.
    std::vector<size_t> take(static_cast<size_t>(maxLength), 0);
    take[static_cast<size_t>(maxLength - 1)] = 2 * n - 2;
    std::vector<uint32_t> counts(n, 0);
    for (int level = maxLength - 1; level >= 0; --level) {
        const std::vector<Item>& items = levels[static_cast<size_t>(level)];
        size_t packagesUsed = 0;
        for (size_t i = 0; i < take[static_cast<size_t>(level)]; ++i) {
            if (items[i].left < 0) {
                ++counts[items[i].leaf];
            } else {
                ++packagesUsed;
            }
        }
        if (level > 0) take[static_cast<size_t>(level - 1)] = 2 * packagesUsed;
    }
    for (size_t i = 0; i < n; ++i) lengths[order[i]] = static_cast<uint8_t>(counts[i]);
    return lengths;
}
