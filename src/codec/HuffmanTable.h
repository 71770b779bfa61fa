// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <memory>

// One entry of the work array from which a code is merged.
struct NodeEntry {
    uint32_t depth = 0;
    uint16_t symbol = 0;
};

// One node of the tree that merging builds: leaves are the symbols,
// internal nodes follow in the order they were merged.
struct MergeNode {
    uint32_t depth = 0;
    uint32_t code = 0;
    uint16_t length = 0;
    uint16_t children[2] = {};
};

// One prefix code: code words left-aligned in 32 bits, and their lengths.
struct HuffmanTable {
    std::unique_ptr<NodeEntry[]> nodes;
    std::unique_ptr<uint32_t[]> codes;
    std::unique_ptr<uint16_t[]> codeLengths;
    std::unique_ptr<MergeNode[]> tree;  // work space of MergeCodes
    int16_t symbolCount = 0;

    // False when memory is short.
    bool Allocate(int count);
};

// Builds the code from the depths in nodes by pairwise merging from the
// back of the sorted array. The result is complete but not canonical.
// Takes time in proportion to the symbols (after sorting them), however
// deep the tree: a code word longer than 32 bits keeps its first 32.
void MergeCodes(HuffmanTable& table);

// Calls visit(symbol) for every symbol in ascending order of its code word,
// after MergeCodes, when no word is longer than 32 bits.
template <typename Visit>
void ForEachInCodeOrder(const HuffmanTable& table, Visit visit) {
    // The words are the paths of one tree, 0 before 1: walking it depth
    // first meets them in order. A path of at most 32 steps keeps at most
    // 33 nodes waiting.
    const int n = table.symbolCount;
    if (n <= 0) return;
    uint16_t waiting[40];
    int count = 0;
    waiting[count++] = static_cast<uint16_t>(2 * n - 2);  // the root, merged last
    while (count > 0) {
        const uint16_t node = waiting[--count];
        if (node < n) {
            visit(node);
        } else if (count + 2 <= 40) {
            waiting[count++] = table.tree[node].children[1];
            waiting[count++] = table.tree[node].children[0];
        }
    }
}

// The code words that MergeCodes assigns to the given lengths (one per
// symbol), for writers that must emit exactly what the decoder expects.
bool CodesForLengths(const uint8_t* lengths, int count, HuffmanTable& table);
