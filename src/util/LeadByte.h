// SPDX-License-Identifier: MIT
#pragma once

// Code page 932 lead bytes: 0x80-0x9F and 0xE0-0xEF start a double-byte
// character whose second byte is never examined by a path scan.
inline bool IsLeadByte(unsigned char byte) {
    const unsigned high = byte >> 4;
    return high == 0x8 || high == 0x9 || high == 0xE;
}
