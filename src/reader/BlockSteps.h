// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>

#include "codec/ExpansionEngine.h"

// What expanding one block in steps came to.
struct BlockSteps {
    int failedStep = -1;                  // the step whose Expand failed, or -1
    ExpandResult result = ExpandResult::Done;  // that step's result
    bool stopped = false;                 // before asked to stop
};

// Where the step that starts at pos ends: Expand's target.
int32_t StepEnd(int64_t pos, int32_t step);

// The one loop that expands a block: the tables are reset for area (size
// bytes), which is then filled in steps of at most step bytes. Before each
// step, before(pos) may ask to stop by returning false.
BlockSteps ExpandInSteps(ExpansionEngine& engine, unsigned char* area, int64_t size, int32_t step,
                         const std::function<bool(int64_t pos)>& before = {});
