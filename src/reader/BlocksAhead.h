// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "archive/BlockPlan.h"
#include "codec/ExpansionEngine.h"

// Expands an archive's blocks in order for a job that then uses each one.
// Given an area with room for two of the largest blocks, blocks are
// expanded into it, one after the other around it, on a second thread
// while the job uses earlier ones: writing small files takes about as long
// as expanding them. Otherwise each block is expanded just before it is
// used; so is any block that the second thread (if the host starts one)
// has not yet claimed when the job needs it.
class BlocksAhead {
public:
    // A block's expansion, in steps of at most step bytes: failedStep is the
    // step whose Expand returned result, or -1 when all were done.
    struct Expanded {
        const unsigned char* area = nullptr;
        int failedStep = -1;
        ExpandResult result = ExpandResult::Done;
    };

    // area holds areaSize bytes, at least the largest block's size.
    BlocksAhead(ExpansionEngine& engine, const std::vector<Block>& blocks, unsigned char* area, size_t areaSize,
                int32_t step);

    // Calls use(b, expanded) for every block in order until it returns
    // false. No expansion runs once Run has returned.
    void Run(const std::function<bool(size_t block, const Expanded& expanded)>& use);

private:
    // Where block b would go, counted in bytes through the rounds of the
    // area, when it comes after the blocks placed so far: a block never
    // runs over the area's end.
    uint64_t PlaceOf(size_t b) const;
    // Expands block b at offset in the area.
    Expanded ExpandBlock(size_t b, size_t offset);

    ExpansionEngine& engine;
    const std::vector<Block>& blocks;
    unsigned char* area;
    size_t areaSize;
    int32_t step;
    std::vector<Expanded> expanded;
    std::vector<uint64_t> places;
    uint64_t nextPlace = 0;  // where the next block would go if it fitted
};
