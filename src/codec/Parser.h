// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "codec/CostModel.h"
#include "codec/EncoderTables.h"
#include "codec/TokenList.h"

// How hard a parse works.
struct ParseParameters {
    bool optimal = false;  // cost-based parse over a window, else greedy
    bool lazy = false;     // greedy: a literal first when the next position offers more
    int maxVisits = 16;    // slots looked at per position
    int niceLength = 64;   // a match this long is taken at once
    int window = 256;      // positions planned at a time by the optimal parse
};

// Told now and then how many bytes of the block are parsed.
using ParseProgress = std::function<void(int32_t parsed)>;

// Turns one block into steps, keeping tables in lockstep with the decoder.
void ParseBlock(EncoderTables& tables, const uint8_t* data, int32_t size, const ParseParameters& parameters,
                const CostModel& costs, TokenList& out, const ParseProgress& progress = {});
