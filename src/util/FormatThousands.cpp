// SPDX-License-Identifier: MIT
#include "util/FormatThousands.h"

#include <string>

std::string FormatThousands(int64_t v) {
    std::string digits = std::to_string(v);
    if (v < 1000) return digits;
    for (auto i = static_cast<std::ptrdiff_t>(digits.size()) - 3; i > 0; i -= 3) {
        digits.insert(static_cast<size_t>(i), 1, ',');
    }
    return digits;
}
