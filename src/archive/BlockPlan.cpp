// SPDX-License-Identifier: MIT
#include "archive/BlockPlan.h"

std::vector<Block> CutBlocks(const int32_t* sizes, int32_t count, int32_t largestSize) {
    std::vector<Block> blocks;
    int32_t i = 0;
    while (i < count) {
        Block block;
        block.first = i;
        do {
            block.size += sizes[i];
            ++i;
        } while (i < count && block.size + sizes[i] <= largestSize);
        block.end = i;
        blocks.push_back(block);
    }
    return blocks;
}
