// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <vector>

#include "codec/BitWriter.h"
#include "codec/HuffmanTable.h"

// Writes the code description and then main symbols and length values with
// exactly the code words that the decoder's merging assigns to the lengths.
class SymbolWriter {
public:
    static constexpr int kLengthSymbols = 128;
    static constexpr uint32_t kLengthEscape = 127;

    // The length symbol that carries value v (the escape for 127 and up).
    static uint32_t LengthSymbol(uint32_t v) { return v < kLengthEscape ? v : kLengthEscape; }

    // False when the lengths are not a complete code of 1 to 31 bits.
    bool Build(const std::vector<uint8_t>& mainLengths, const std::vector<uint8_t>& lengthLengths);

    void WriteDescription(BitWriter& out) const;
    void WriteSymbol(BitWriter& out, uint32_t symbol) const {
        out.WriteCode(mainCodes.codes[symbol], mainCodes.codeLengths[symbol]);
    }
    // A length value: its own symbol below 127, else the escape, a 5-bit
    // count c and the value in c + 1 bits.
    void WriteLength(BitWriter& out, uint32_t value) const;

private:
    std::vector<uint8_t> mainLengths_;
    std::vector<uint8_t> lengthLengths_;
    HuffmanTable mainCodes;
    HuffmanTable lengthCodes;
};
