#pragma once

#include <cstdint>
#include <vector>

#include "codec/ContextTables.h"

// One step of the dictionary coder as the decoder will read it: a main
// symbol, and for a symbol below N the length value that follows it.
struct Token {
    uint16_t symbol = 0;
    uint32_t lengthValue = 0;
};

// Turns the bytes of one block into tokens, keeping the per-context tables
// exactly as the expansion engine will keep them. Greedy: at each step the
// longest string any slot of the current row offers.
class BlockEncoder {
public:
    bool Init(int tableSize, bool insertEveryPosition) { return tables.Allocate(tableSize, insertEveryPosition); }
    void EncodeBlock(const uint8_t* data, int32_t size, std::vector<Token>& out);

private:
    ContextTables tables;
};
