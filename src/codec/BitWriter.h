// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <vector>

// Writes bits most significant first, continuing across bytes, as the
// decoder reads them.
class BitWriter {
public:
    // Writes the low count bits of value (count 0 to 32).
    void Write(uint32_t value, int count) {
        if (count == 0) return;
        accumulator = (accumulator << count) | (value & (count == 32 ? 0xFFFFFFFFu : ((1u << count) - 1)));
        pending += count;
        while (pending >= 8) {
            pending -= 8;
            bytes.push_back(static_cast<uint8_t>(accumulator >> pending));
        }
    }
    // Writes a left-aligned code word of length bits.
    void WriteCode(uint32_t code, int length) { Write(length == 0 ? 0 : code >> (32 - length), length); }
    // Pads the last byte with zero bits.
    void Flush() {
        if (pending > 0) Write(0, 8 - pending);
    }
    uint64_t BitCount() const { return bytes.size() * 8 + static_cast<uint64_t>(pending); }

    std::vector<uint8_t> bytes;

private:
    uint64_t accumulator = 0;
    int pending = 0;
};
