// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <vector>

// A run of consecutive entries expanded after one reset of the tables.
struct Block {
    int32_t first = 0;  // first entry
    int32_t end = 0;    // one past the last entry
    int64_t size = 0;   // sum of the entries' sizes
};

// Cuts entries into blocks: a block takes entry after entry while the sum of
// its sizes stays at or below largestSize. Sizes must not be negative.
std::vector<Block> CutBlocks(const int32_t* sizes, int32_t count, int32_t largestSize);
