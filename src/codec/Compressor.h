// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "codec/TokenList.h"

// One block of bytes, expanded after a reset of the tables.
struct BlockData {
    const uint8_t* data;
    int32_t size;
};

struct CompressorOptions {
    int tableSize = 512;
    bool insertEveryPosition = true;
    int level = 5;  // 1 (fastest) to 9 (smallest)
    std::function<void(int percent)> progress;  // told as the work goes on, on the calling thread
    int workers = 0;  // threads that parse blocks; 0: as many as the host runs
};

// Parses every block into steps. The higher levels parse again with the
// costs of the code that the previous pass gave. False when memory is short.
bool CompressBlocks(const std::vector<BlockData>& blocks, const CompressorOptions& options, TokenList& tokens);
