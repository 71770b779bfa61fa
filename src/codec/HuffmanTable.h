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

// The code words that MergeCodes assigns to the given lengths (one per
// symbol), for writers that must emit exactly what the decoder expects.
bool CodesForLengths(const uint8_t* lengths, int count, HuffmanTable& table);
