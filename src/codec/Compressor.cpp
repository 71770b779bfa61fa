#include "codec/Compressor.h"

#include <algorithm>

#include "codec/CodeLengths.h"
#include "codec/CostModel.h"
#include "codec/EncoderTables.h"
#include "codec/Parser.h"
#include "codec/TokenStream.h"

namespace {

struct LevelPlan {
    ParseParameters parse;
    int passes;  // optimal passes after the first
};

LevelPlan PlanFor(int level) {
    switch (std::clamp(level, 1, 9)) {
        case 1: return {{false, false, 4, 32, 0}, 0};
        case 2: return {{false, false, 16, 64, 0}, 0};
        case 3: return {{false, false, 64, 128, 0}, 0};
        case 4: return {{false, true, 16, 32, 0}, 0};
        case 5: return {{false, true, 32, 32, 0}, 0};
        case 6: return {{true, false, 8, 32, 64}, 1};
        case 7: return {{true, false, 32, 64, 256}, 1};
        case 8: return {{true, false, 128, 128, 256}, 2};
        default: return {{true, false, 128, 258, 256}, 3};
    }
}

// The size of the stream the steps make under their own code, in bits.
uint64_t EncodedBits(const std::vector<Token>& tokens, int tableSize) {
    const SymbolFrequencies counts = CountSymbols(tokens, tableSize);
    const CostModel costs = CostModel::FromCodeLengths(BuildCodeLengths(counts.main), BuildCodeLengths(counts.lengths));
    uint64_t bits = 0;
    for (const Token& token : tokens) {
        bits += costs.Symbol(token.symbol);
        if (token.symbol < tableSize) bits += costs.LengthValue(token.lengthValue);
    }
    return bits / CostModel::kBit;
}

}  // namespace

bool CompressBlocks(const std::vector<BlockData>& blocks, const CompressorOptions& options, std::vector<Token>& tokens) {
    EncoderTables tables;
    if (!tables.Init(options.tableSize, options.insertEveryPosition)) return false;
    const LevelPlan plan = PlanFor(options.level);
    // Progress counts the bytes parsed in every pass that may run.
    int64_t total = 0;
    for (const BlockData& block : blocks) total += block.size;
    total = std::max<int64_t>(1, total * (1 + plan.passes));
    int64_t done = 0;
    auto parseAll = [&](const ParseParameters& parse, const CostModel& costs, std::vector<Token>& out) {
        out.clear();
        for (const BlockData& block : blocks) {
            ParseBlock(tables, block.data, block.size, parse, costs, out, [&](int32_t parsed) {
                if (options.progress) options.progress(static_cast<int>((done + parsed) * 100 / total));
            });
            done += block.size;
        }
    };
    ParseParameters first = plan.parse;
    if (plan.passes > 0) first.optimal = false;
    parseAll(first, CostModel::Initial(options.tableSize), tokens);
    // Each further pass prices the steps by the code of the pass before;
    // the parse that codes smallest is kept.
    uint64_t bestBits = EncodedBits(tokens, options.tableSize);
    std::vector<Token> trial;
    const std::vector<Token>* priced = &tokens;
    for (int pass = 0; pass < plan.passes; ++pass) {
        const SymbolFrequencies counts = CountSymbols(*priced, options.tableSize);
        parseAll(plan.parse, CostModel::FromCodeLengths(BuildCodeLengths(counts.main), BuildCodeLengths(counts.lengths)),
                 trial);
        const uint64_t bits = EncodedBits(trial, options.tableSize);
        if (bits >= bestBits) break;
        bestBits = bits;
        tokens.swap(trial);
        priced = &tokens;
    }
    return true;
}
