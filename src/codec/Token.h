// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

// One step of the dictionary coder as the decoder will read it: a main
// symbol, and for a symbol below N the length value that follows it.
struct Token {
    uint16_t symbol = 0;
    uint32_t lengthValue = 0;
};
