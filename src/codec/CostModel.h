// SPDX-License-Identifier: MIT
#pragma once

#include <bit>
#include <cstdint>
#include <vector>

// What each main symbol and length value costs, in sixteenths of a bit,
// from the code lengths of an earlier pass. Integers, so that a parse comes
// out the same on every host.
class CostModel {
public:
    static constexpr uint32_t kBit = 16;

    // Costs of a first pass, before any statistics: literals 8 bits,
    // matches a little more, short lengths cheap.
    static CostModel Initial(int tableSize);
    static CostModel FromCodeLengths(const std::vector<uint8_t>& mainLengths, const std::vector<uint8_t>& lengthLengths);

    uint32_t Symbol(unsigned symbol) const { return main[symbol]; }
    uint32_t Literal(unsigned byte) const { return main[2 * static_cast<unsigned>(tableSize) + byte]; }
    // A length value: its own symbol below 127, else the escape and its bits.
    uint32_t LengthValue(uint32_t v) const {
        return v < 127 ? length[v] : length[127] + (5 + static_cast<uint32_t>(std::bit_width(v))) * kBit;
    }

private:
    int tableSize = 256;
    std::vector<uint32_t> main;
    std::vector<uint32_t> length;
};
