// SPDX-License-Identifier: MIT
#include "codec/TokenStream.h"

#include "codec/BitWriter.h"
#include "codec/SymbolWriter.h"

SymbolFrequencies CountSymbols(const TokenList& tokens, int n) {
    SymbolFrequencies counts{std::vector<uint64_t>(static_cast<size_t>(2 * n + 256), 0),
                             std::vector<uint64_t>(SymbolWriter::kLengthSymbols, 0)};
    for (const Token token : tokens) {
        ++counts.main[token.symbol];
        if (token.symbol < n) ++counts.lengths[SymbolWriter::LengthSymbol(token.lengthValue)];
    }
    return counts;
}

std::vector<uint8_t> WriteTokenStream(const TokenList& tokens, int n, const std::vector<uint8_t>& mainLengths,
                                      const std::vector<uint8_t>& lengthLengths) {
    SymbolWriter writer;
    if (!writer.Build(mainLengths, lengthLengths)) return {};
    BitWriter bits;
    writer.WriteDescription(bits);
    for (const Token token : tokens) {
        writer.WriteSymbol(bits, token.symbol);
        if (token.symbol < n) writer.WriteLength(bits, token.lengthValue);
    }
    bits.Flush();
    return std::move(bits.bytes);
}
