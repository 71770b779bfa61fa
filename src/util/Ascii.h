// SPDX-License-Identifier: MIT
#pragma once

#include <string_view>

// True when every byte of text is ASCII (below 0x80).
inline bool IsAscii(std::string_view text) {
    for (const char ch : text) {
        if (static_cast<unsigned char>(ch) >= 0x80) return false;
    }
    return true;
}

// True when every byte of text is printable ASCII (0x20 to 0x7E).
inline bool IsPrintableAscii(std::string_view text) {
    for (const char ch : text) {
        if (static_cast<unsigned char>(ch) - 0x20u >= 0x5Fu) return false;
    }
    return true;
}
