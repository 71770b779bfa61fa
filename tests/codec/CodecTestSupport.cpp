// SPDX-License-Identifier: MIT
#include "codec/CodecTestSupport.h"

#include "codec/CodeLengths.h"
#include "codec/TokenStream.h"

namespace test {

std::string CodeBits(const HuffmanTable& table, int s) {
    std::string bits;
    for (int i = 0; i < table.codeLengths[s]; ++i) bits += (table.codes[s] >> (31 - i)) & 1 ? '1' : '0';
    return bits;
}

std::vector<uint8_t> StreamOf(const std::vector<Token>& steps, int n) {
    TokenList tokens(n);
    for (const Token& step : steps) tokens.push_back(step);
    // Every symbol occurs at least once, so every symbol has a code word.
    SymbolFrequencies counts = CountSymbols(tokens, n);
    for (auto& f : counts.main) ++f;
    for (auto& f : counts.lengths) ++f;
    return WriteTokenStream(tokens, n, BuildCodeLengths(counts.main), BuildCodeLengths(counts.lengths));
}

}  // namespace test
