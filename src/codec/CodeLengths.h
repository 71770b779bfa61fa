// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <vector>

// Optimal code lengths for the given symbol frequencies with every symbol a
// length from 1 to maxLength and a Kraft sum of exactly 1, so that merging
// gives back exactly these lengths. Symbols of frequency 0 still get a code.
std::vector<uint8_t> BuildCodeLengths(const std::vector<uint64_t>& frequencies, int maxLength = 31);
