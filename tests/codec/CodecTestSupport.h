// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "codec/Token.h"
#include "codec/HuffmanTable.h"

namespace test {

// The code word of symbol s as a string of '0' and '1'.
std::string CodeBits(const HuffmanTable& table, int s);

// A compressed stream that carries exactly the given steps, under a code
// in which every main and length symbol has a word (N is 256 or 512).
std::vector<uint8_t> StreamOf(const std::vector<Token>& tokens, int n);

}  // namespace test
