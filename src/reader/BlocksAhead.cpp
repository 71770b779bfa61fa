// SPDX-License-Identifier: MIT
#include "reader/BlocksAhead.h"

#include <algorithm>
#include <climits>

#include "platform/Monitor.h"
#include "platform/Workers.h"
#include "reader/BlockSteps.h"

BlocksAhead::BlocksAhead(ExpansionEngine& engine, const std::vector<Block>& blocks, unsigned char* area,
                         size_t areaSize, int32_t step)
    : engine(engine), blocks(blocks), area(area), areaSize(areaSize), step(step) {}

uint64_t BlocksAhead::PlaceOf(size_t b) const {
    const auto size = static_cast<uint64_t>(blocks[b].size);
    const uint64_t offset = nextPlace % areaSize;
    return offset + size > areaSize ? nextPlace + (areaSize - offset) : nextPlace;
}

BlocksAhead::Expanded BlocksAhead::ExpandBlock(size_t b, size_t offset) {
    const BlockSteps steps = ExpandInSteps(engine, area + offset, blocks[b].size, step);
    return {area + offset, steps.failedStep, steps.result};
}

void BlocksAhead::Run(const std::function<bool(size_t block, const Expanded& expanded)>& use) {
    int64_t largest = 0;
    for (const Block& b : blocks) largest = std::max(largest, b.size);
    // With room for two of the largest blocks, a helper expands ahead.
    const bool ahead = areaSize > 0 && static_cast<uint64_t>(largest) <= areaSize / 2;
    if (!ahead) {
        // Each block at the area's start, just before it is used.
        for (size_t b = 0; b < blocks.size(); ++b) {
            if (!use(b, ExpandBlock(b, 0))) return;
        }
        return;
    }
    expanded.assign(blocks.size(), Expanded{});
    places.assign(blocks.size(), 0);
    nextPlace = 0;
    // Blocks are claimed for expansion in order, by the job's thread or the
    // helper, whichever comes first, each once the one before is expanded,
    // and none after one that failed. The helper claims a block only when
    // it fits in the area's free part; once it has had to wait, only when
    // half the area is free, so that it is woken once per half area rather
    // than once per block.
    platform::Monitor monitor;
    size_t claimed = 0;
    size_t finished = 0;
    uint64_t freedTo = 0;  // the area before this place is free
    bool failed = false;
    bool stopped = false;
    bool helperWaits = false;
    const auto expandClaimed = [&](platform::Monitor::Hold& hold) {
        const size_t b = claimed++;
        places[b] = PlaceOf(b);
        nextPlace = places[b] + static_cast<uint64_t>(blocks[b].size);
        hold.Release();
        const Expanded done = ExpandBlock(b, static_cast<size_t>(places[b] % areaSize));
        hold.Take();
        expanded[b] = done;
        ++finished;
        failed = failed || expanded[b].failedStep >= 0;
        monitor.NotifyAll();
    };
    const auto fits = [&](uint64_t slack) {
        if (claimed == blocks.size()) return true;
        const uint64_t end = PlaceOf(claimed) + static_cast<uint64_t>(blocks[claimed].size);
        return end - freedTo + slack <= areaSize;
    };
    platform::RunWorkers(2, [&](int worker) {
        platform::Monitor::Hold hold(monitor);
        if (worker != 0) {
            while (!stopped) {
                if (failed || claimed == blocks.size() || finished < claimed) {
                    monitor.Wait();
                } else if (fits(0) && (!helperWaits || fits(areaSize / 2))) {
                    helperWaits = false;
                    expandClaimed(hold);
                } else {
                    helperWaits = true;
                    monitor.Wait();
                }
            }
            return;
        }
        // The helper ends when the job's thread does, however it ends.
        struct Stop {
            platform::Monitor::Hold& hold;
            platform::Monitor& monitor;
            bool& stopped;
            ~Stop() {
                if (!hold.Holds()) hold.Take();
                stopped = true;
                monitor.NotifyAll();
            }
        } stop{hold, monitor, stopped};
        for (size_t b = 0; b < blocks.size(); ++b) {
            // Every earlier block is used and its room freed: block b fits.
            while (finished <= b) {
                if (claimed == b) {
                    expandClaimed(hold);
                } else {
                    monitor.Wait();
                }
            }
            const Expanded current = expanded[b];
            hold.Release();
            const bool goOn = use(b, current);
            hold.Take();
            if (!goOn) return;
            freedTo = b + 1 < claimed ? places[b + 1] : nextPlace;
            if (helperWaits && fits(areaSize / 2)) monitor.NotifyAll();
        }
    });
}
