// SPDX-License-Identifier: MIT
#include "reader/BlockSteps.h"

#include <algorithm>
#include <climits>

int32_t StepEnd(int64_t pos, int32_t step) { return static_cast<int32_t>(std::min<int64_t>(pos + step, INT32_MAX)); }

BlockSteps ExpandInSteps(ExpansionEngine& engine, unsigned char* area, int64_t size, int32_t step,
                         const std::function<bool(int64_t pos)>& before) {
    BlockSteps steps;
    engine.Reset(area, static_cast<int32_t>(size));
    int index = 0;
    for (int64_t pos = 0; pos < size; ++index) {
        if (before && !before(pos)) {
            steps.stopped = true;
            break;
        }
        pos = StepEnd(pos, step);
        if (const ExpandResult result = engine.Expand(static_cast<int32_t>(pos)); result != ExpandResult::Done) {
            steps.failedStep = index;
            steps.result = result;
            break;
        }
    }
    return steps;
}
