#include "codec/CodecTestSupport.h"

#include "codec/BitWriter.h"
#include "codec/CodeLengths.h"
#include "codec/SymbolWriter.h"

namespace test {

std::string CodeBits(const HuffmanTable& table, int s) {
    std::string bits;
    for (int i = 0; i < table.codeLengths[s]; ++i) bits += (table.codes[s] >> (31 - i)) & 1 ? '1' : '0';
    return bits;
}

std::vector<uint8_t> StreamOf(const std::vector<Token>& tokens, int n) {
    std::vector<uint64_t> mainFrequencies(static_cast<size_t>(2 * n + 256), 1);
    std::vector<uint64_t> lengthFrequencies(SymbolWriter::kLengthSymbols, 1);
    for (const Token& t : tokens) mainFrequencies[t.symbol] += 100;
    SymbolWriter writer;
    writer.Build(BuildCodeLengths(mainFrequencies), BuildCodeLengths(lengthFrequencies));
    BitWriter bits;
    writer.WriteDescription(bits);
    for (const Token& t : tokens) {
        writer.WriteSymbol(bits, t.symbol);
        if (t.symbol < n) writer.WriteLength(bits, t.lengthValue);
    }
    bits.Flush();
    return bits.bytes;
}

}  // namespace test
