#include "codec/Compressor.h"

#include <algorithm>
#include <utility>

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

// The code that steps make of their own statistics, and the size of the
// stream they make under it, in bits.
struct OwnCode {
    CostModel costs;
    uint64_t bits = 0;
};

OwnCode CodeOf(const TokenList& tokens, int tableSize) {
    const SymbolFrequencies counts = CountSymbols(tokens, tableSize);
    OwnCode code{CostModel::FromCodeLengths(BuildCodeLengths(counts.main), BuildCodeLengths(counts.lengths))};
    for (const Token token : tokens) {
        code.bits += code.costs.Symbol(token.symbol);
        if (token.symbol < tableSize) code.bits += code.costs.LengthValue(token.lengthValue);
    }
    code.bits /= CostModel::kBit;
    return code;
}

}  // namespace

bool CompressBlocks(const std::vector<BlockData>& blocks, const CompressorOptions& options, TokenList& tokens) {
    EncoderTables tables;
    if (!tables.Init(options.tableSize, options.insertEveryPosition)) return false;
    const LevelPlan plan = PlanFor(options.level);
    // Progress counts the bytes parsed in every pass that may run.
    int64_t total = 0;
    for (const BlockData& block : blocks) total += block.size;
    total = std::max<int64_t>(1, total * (1 + plan.passes));
    int64_t done = 0;
    auto parseAll = [&](const ParseParameters& parse, const CostModel& costs, TokenList& out) {
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
    if (plan.passes == 0) return true;
    // Each further pass prices the steps by the code of the pass before;
    // the parse that codes smallest is kept.
    OwnCode best = CodeOf(tokens, options.tableSize);
    TokenList trial(options.tableSize);
    for (int pass = 0; pass < plan.passes; ++pass) {
        parseAll(plan.parse, best.costs, trial);
        OwnCode code = CodeOf(trial, options.tableSize);
        if (code.bits >= best.bits) break;
        best = std::move(code);
        tokens.swap(trial);
    }
    return true;
}
