// SPDX-License-Identifier: MIT
#include "codec/HuffmanTable.h"

#include <algorithm>
#include <new>

bool HuffmanTable::Allocate(int count) {
    nodes.reset(new (std::nothrow) NodeEntry[count]);
    codes.reset(new (std::nothrow) uint32_t[count]);
    codeLengths.reset(new (std::nothrow) uint16_t[count]);
    tree.reset(new (std::nothrow) MergeNode[2 * count]);
    symbolCount = static_cast<int16_t>(count);
    return nodes && codes && codeLengths && tree;
}

namespace {

// Sorts nodes by depth, then by symbol, and gives each leaf of the tree
// its depth. Depths are 5-bit fields or code lengths, so counting them is
// the usual way; any larger goes to a comparison sort.
void SortByDepth(NodeEntry* nodes, MergeNode* tree, int n) {
    uint32_t counts[257] = {};
    bool small = true;
    for (int s = 0; s < n; ++s) {
        tree[s].depth = nodes[s].depth;
        small = small && nodes[s].depth < 256;
        if (small) ++counts[nodes[s].depth + 1];
    }
    if (small) {
        for (int d = 1; d < 257; ++d) counts[d] += counts[d - 1];
        for (int s = 0; s < n; ++s) nodes[counts[tree[s].depth]++] = NodeEntry{tree[s].depth, static_cast<uint16_t>(s)};
    } else {
        for (int s = 0; s < n; ++s) nodes[s].symbol = static_cast<uint16_t>(s);
        std::sort(nodes, nodes + n, [](const NodeEntry& a, const NodeEntry& b) {
            return (uint64_t{a.depth} << 16 | a.symbol) < (uint64_t{b.depth} << 16 | b.symbol);
        });
    }
}

// Merges the sorted entries into a tree and returns its root.
int MergeTree(const NodeEntry* nodes, MergeNode* tree, int n) {
    // The work array, kept in ascending depth, loses its last two entries
    // at each merge and gains the merged one, whose depth is one less than
    // the first of the two, in front of every entry of equal or greater
    // depth. That depth never grows from one merge to the next, so the
    // merged entries waiting in the array are in creation order, oldest at
    // the back: the array is the sorted leaves and that queue, interleaved.
    // The one exception is a depth that goes below 0: it wraps to the
    // largest value, and the entry is taken again by the next merge.
    int leaves = n;        // leaves nodes[0, leaves) are still in the array
    int oldest = n;        // merged nodes [oldest, queued) are waiting
    int queued = n;
    bool wrapped = false;  // the newest merged node is last in the array
    int created = n;
    const auto takeLast = [&]() -> uint16_t {
        if (wrapped) {
            wrapped = false;
            return static_cast<uint16_t>(created - 1);
        }
        // Of equal depths, the leaf stands behind the merged entries.
        if (leaves > 0 && (oldest == queued || nodes[leaves - 1].depth >= tree[oldest].depth)) {
            return nodes[--leaves].symbol;
        }
        return static_cast<uint16_t>(oldest++);
    };
    for (; created < 2 * n - 1; ++created) {
        // The last entry takes the 1 side, the one before it the 0 side.
        const uint16_t one = takeLast();
        const uint16_t zero = takeLast();
        MergeNode& merged = tree[created];
        merged.children[0] = zero;
        merged.children[1] = one;
        merged.depth = tree[zero].depth - 1;
        if (tree[zero].depth == 0) wrapped = true;
        else queued = created + 1;
    }
    return created - 1;
}

}  // namespace

void MergeCodes(HuffmanTable& table) {
    const int n = table.symbolCount;
    if (n <= 0) return;
    MergeNode* tree = table.tree.get();
    SortByDepth(table.nodes.get(), tree, n);
    const int root = MergeTree(table.nodes.get(), tree, n);
    // Each merge puts one bit in front of the words of all the symbols
    // below it, so a word is the path from the root (the last merge) down.
    // Parents were merged after their children: going back through the
    // merges reaches every node after its parent.
    tree[root].code = 0;
    tree[root].length = 0;
    for (int k = root; k >= n; --k) {
        const MergeNode parent = tree[k];
        for (uint32_t bit = 0; bit < 2; ++bit) {
            MergeNode& child = tree[parent.children[bit]];
            child.length = static_cast<uint16_t>(parent.length + 1);
            child.code = parent.length < 32 ? parent.code | (bit << (31 - parent.length)) : parent.code;
        }
    }
    for (int s = 0; s < n; ++s) {
        table.codes[s] = tree[s].code;
        table.codeLengths[s] = tree[s].length;
    }
}

bool CodesForLengths(const uint8_t* lengths, int count, HuffmanTable& table) {
    if (!table.Allocate(count)) return false;
    for (int i = 0; i < count; ++i) table.nodes[i].depth = lengths[i];
    MergeCodes(table);
    for (int i = 0; i < count; ++i) {
        if (table.codeLengths[i] != lengths[i]) return false;
    }
    return true;
}
