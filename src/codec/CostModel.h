#pragma once

#include <bit>
#include <cstdint>
#include <vector>

// What each main symbol and length value costs in bits, from the code
// lengths of an earlier pass.
class CostModel {
public:
    // Costs of a first pass, before any statistics: literals 8 bits,
    // matches a little more, short lengths cheap.
    static CostModel Initial(int tableSize);
    static CostModel FromCodeLengths(const std::vector<uint8_t>& mainLengths, const std::vector<uint8_t>& lengthLengths);

    float Symbol(unsigned symbol) const { return main[symbol]; }
    float Literal(unsigned byte) const { return main[2 * static_cast<unsigned>(tableSize) + byte]; }
    // A length value: its own symbol below 127, else the escape and its bits.
    float LengthValue(uint32_t v) const {
        return v < 127 ? length[v] : length[127] + 5.0f + static_cast<float>(std::bit_width(v));
    }

private:
    int tableSize = 256;
    std::vector<float> main;
    std::vector<float> length;
};
