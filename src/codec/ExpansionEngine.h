// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>

#include "codec/InputStream.h"
#include "codec/ContextTables.h"
#include "codec/HuffmanDecoder.h"

// What expanding up to a target came to: the area filled that far, a
// string that would reach past the area, or data that are not there (the
// stream ended, or a string names an empty slot).
enum class ExpandResult { Done, BeyondArea, NoSuchData };

// Turns the decoder's symbols into bytes: literals, and copies of strings
// remembered in the current context's row, with a decoded length or with
// the remembered one.
class ExpansionEngine {
public:
    // Builds the decoder at once (it reads the code description from stream).
    ExpansionEngine(InputStream* stream, bool insertEveryPosition, bool largeTables);

    // False when memory for the tables was short.
    bool Allocated() const { return allocated_; }
    // Bytes the engine's tables take, for the out-of-memory message.
    static int64_t TableBytes(int tableSize);

    // A block area of size bytes, owned by the engine and kept with its
    // tables (in one allocation where the host has large pages, which makes
    // expansion faster); null when memory is short.
    unsigned char* ReserveArea(size_t size) { return tables.Extend(size); }

    // Starts a block: empty tables, the area to fill.
    void Reset(unsigned char* area, int32_t areaSize);
    // Fills the area up to min(target, areaSize).
    ExpandResult Expand(int32_t target);

    int32_t Produced() const { return produced; }

    HuffmanDecoder decoder;

private:
    // Expand's loop, with Insert's way of filing fixed. With kEach it stops
    // once a row has wrapped and sets wrapped, for kLookup to go on.
    template <ContextTables::Filing How>
    ExpandResult ExpandSteps(int32_t limit, bool& wrapped);

    ContextTables tables;
    unsigned char* area = nullptr;
    int32_t areaSize = 0;
    int32_t produced = 0;
    int32_t insertPos = 0;
    bool allocated_ = false;
};
