// SPDX-License-Identifier: MIT
#include "codec/Compressor.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <utility>

#include "codec/CodeLengths.h"
#include "codec/CostModel.h"
#include "codec/EncoderTables.h"
#include "codec/Parser.h"
#include "codec/TokenStream.h"
#include "platform/Workers.h"

namespace {

// Each worker's rows and index take about 6 MB.
constexpr int kMaxWorkers = 8;

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

// Runs of whole blocks, each parsed by one worker into its own list: about
// four runs per worker, so that the workers end close together, and none
// much below a megabyte, so that small blocks do not each hold a list.
std::vector<std::pair<size_t, size_t>> CutRuns(const std::vector<BlockData>& blocks, int workers) {
    int64_t total = 0;
    for (const BlockData& block : blocks) total += block.size;
    const int64_t target = std::max<int64_t>(total / (4 * workers), int64_t{1} << 20);
    std::vector<std::pair<size_t, size_t>> runs;
    size_t first = 0;
    int64_t bytes = 0;
    for (size_t b = 0; b < blocks.size(); ++b) {
        bytes += blocks[b].size;
        if (bytes >= target || b + 1 == blocks.size()) {
            runs.emplace_back(first, b + 1);
            first = b + 1;
            bytes = 0;
        }
    }
    return runs;
}

// Counts the bytes that all workers parsed, and tells the caller's
// progress on the calling thread only (worker 0), never going back.
class SharedProgress {
public:
    SharedProgress(const std::function<void(int)>& report, int64_t total) : report(report), total(total) {}
    void Add(int64_t bytes, int worker) {
        done += bytes;
        if (worker == 0) Tell();
    }
    void Tell() {
        if (!report) return;
        const auto percent = static_cast<int>(done.load() * 100 / total);
        if (percent > shown) report(shown = percent);
    }

private:
    const std::function<void(int)>& report;
    const int64_t total;
    std::atomic<int64_t> done{0};
    int shown = -1;
};

}  // namespace

bool CompressBlocks(const std::vector<BlockData>& blocks, const CompressorOptions& options, TokenList& tokens) {
    // Every block starts with empty rows, so blocks can be parsed apart, on
    // as many threads as the host runs, each worker with rows of its own;
    // the steps are put together in block order, the same at any count.
    const int asked = options.workers > 0 ? options.workers : platform::HostThreads();
    const int wanted = std::clamp(asked, 1, kMaxWorkers);
    const std::vector<std::pair<size_t, size_t>> runs = CutRuns(blocks, wanted);
    // No more workers than runs: a small archive is parsed on the calling
    // thread alone.
    const int useful = std::clamp(static_cast<int>(runs.size()), 1, wanted);
    std::vector<std::unique_ptr<EncoderTables>> tables;
    while (static_cast<int>(tables.size()) < useful) {
        auto own = std::make_unique<EncoderTables>();
        if (!own->Init(options.tableSize, options.insertEveryPosition)) break;
        tables.push_back(std::move(own));
    }
    if (tables.empty()) return false;
    const int workers = static_cast<int>(tables.size());
    const LevelPlan plan = PlanFor(options.level);
    // Progress counts the bytes parsed in every pass that may run.
    int64_t total = 0;
    for (const BlockData& block : blocks) total += block.size;
    SharedProgress progress(options.progress, std::max<int64_t>(1, total * (1 + plan.passes)));
    auto parseAll = [&](const ParseParameters& parse, const CostModel& costs, TokenList& out) {
        out.clear();
        std::vector<TokenList> parts;
        for (size_t r = 0; r < runs.size(); ++r) parts.emplace_back(options.tableSize);
        std::atomic<size_t> nextRun{0};
        platform::RunWorkers(workers, [&](int worker) {
            for (size_t r; (r = nextRun++) < runs.size();) {
                for (size_t b = runs[r].first; b < runs[r].second; ++b) {
                    int32_t told = 0;
                    ParseBlock(*tables[static_cast<size_t>(worker)], blocks[b].data, blocks[b].size, parse, costs,
                               parts[r], [&](int32_t parsed) {
                                   progress.Add(parsed - told, worker);
                                   told = parsed;
                               });
                    progress.Add(blocks[b].size - told, worker);
                }
            }
        });
        progress.Tell();
        for (TokenList& part : parts) {
            out.Append(part);
            part.clear();
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
