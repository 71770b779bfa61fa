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

LevelPlan PlanFor(int level, int tableSize) {
    switch (std::clamp(level, 1, 9)) {
        case 1: return {{false, false, 4, 32, 0}, 0};
        case 2: return {{false, false, 16, 64, 0}, 0};
        case 3: return {{false, false, 64, 128, 0}, 0};
        case 4: return {{false, true, 16, 32, 0}, 0};
        case 5: return {{false, true, 32, 32, 0}, 0};
        case 6: return {{true, false, 8, 32, 64}, 1};
        case 7: return {{true, false, 32, 64, 256}, 1};
        case 8: return {{true, false, 64, 128, 512}, 2};
        default: return {{true, false, tableSize, 258, 2048}, 3};
    }
}

}  // namespace

bool CompressBlocks(const std::vector<BlockData>& blocks, const CompressorOptions& options, std::vector<Token>& tokens) {
    EncoderTables tables;
    if (!tables.Init(options.tableSize, options.insertEveryPosition)) return false;
    const LevelPlan plan = PlanFor(options.level, options.tableSize);
    auto parseAll = [&](const ParseParameters& parse, const CostModel& costs) {
        tokens.clear();
        for (const BlockData& block : blocks) ParseBlock(tables, block.data, block.size, parse, costs, tokens);
    };
    ParseParameters first = plan.parse;
    first.optimal = plan.passes == 0 ? first.optimal : false;
    CostModel costs = CostModel::Initial(options.tableSize);
    parseAll(first, costs);
    for (int pass = 0; pass < plan.passes; ++pass) {
        const SymbolFrequencies counts = CountSymbols(tokens, options.tableSize);
        costs = CostModel::FromCodeLengths(BuildCodeLengths(counts.main), BuildCodeLengths(counts.lengths));
        parseAll(plan.parse, costs);
    }
    return true;
}
