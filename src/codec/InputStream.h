// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

// A byte source: Read stores up to count bytes and returns how many, 0 at
// the end of the data or on a read error.
class InputStream {
public:
    virtual ~InputStream() = default;
    virtual int32_t Read(unsigned char* buffer, int32_t count) = 0;
};
