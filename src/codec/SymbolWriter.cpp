// SPDX-License-Identifier: MIT
#include "codec/SymbolWriter.h"

#include <bit>

bool SymbolWriter::Build(const std::vector<uint8_t>& mainLengths, const std::vector<uint8_t>& lengthLengths) {
    mainLengths_ = mainLengths;
    lengthLengths_ = lengthLengths;
    if (lengthLengths.size() != kLengthSymbols) return false;
    for (const auto& lengths : {mainLengths, lengthLengths}) {
        for (uint8_t length : lengths) {
            if (length < 1 || length > 31) return false;
        }
    }
    return CodesForLengths(mainLengths.data(), static_cast<int>(mainLengths.size()), mainCodes) &&
           CodesForLengths(lengthLengths.data(), kLengthSymbols, lengthCodes);
}

void SymbolWriter::WriteDescription(BitWriter& out) const {
    for (uint8_t length : mainLengths_) out.Write(length, 5);
    for (uint8_t length : lengthLengths_) out.Write(length, 5);
}

void SymbolWriter::WriteLength(BitWriter& out, uint32_t value) const {
    const uint32_t symbol = LengthSymbol(value);
    out.WriteCode(lengthCodes.codes[symbol], lengthCodes.codeLengths[symbol]);
    if (symbol != kLengthEscape) return;
    const int bits = value == 0 ? 1 : std::bit_width(value);
    out.Write(static_cast<uint32_t>(bits - 1), 5);
    out.Write(value, bits);
}
