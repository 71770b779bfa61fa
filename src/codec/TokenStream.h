// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <vector>

#include "codec/TokenList.h"

// How often each main and length symbol occurs among the steps (N is 256
// or 512).
struct SymbolFrequencies {
    std::vector<uint64_t> main;
    std::vector<uint64_t> lengths;
};
SymbolFrequencies CountSymbols(const TokenList& tokens, int n);

// The compressed stream: the code description for the given code lengths,
// then every step's code words, padded to a whole byte. Empty when the
// lengths do not form complete codes of 1 to 31 bits.
std::vector<uint8_t> WriteTokenStream(const TokenList& tokens, int n, const std::vector<uint8_t>& mainLengths,
                                      const std::vector<uint8_t>& lengthLengths);
