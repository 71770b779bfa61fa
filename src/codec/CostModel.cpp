// SPDX-License-Identifier: MIT
#include "codec/CostModel.h"

#include <cstddef>

namespace {

// About 16 * log2(1 + x), in whole sixteenths.
uint32_t Log2Cost(uint32_t x) {
    const uint32_t v = x + 1;
    const int whole = std::bit_width(v) - 1;
    const uint32_t fraction = whole >= 4 ? (v >> (whole - 4)) & 15 : (v << (4 - whole)) & 15;
    return static_cast<uint32_t>(whole) * CostModel::kBit + fraction;
}

}  // namespace

CostModel CostModel::Initial(int n) {
    CostModel model;
    model.tableSize = n;
    model.main.assign(static_cast<size_t>(2 * n + 256), 8 * kBit);
    for (int r = 0; r < 2 * n; ++r) {
        // Recent slots (offsets near N - 1) are the likely ones.
        const auto age = static_cast<uint32_t>(n - 1 - r % n);
        model.main[static_cast<size_t>(r)] = 7 * kBit + Log2Cost(age);
    }
    model.length.assign(128, 0);
    for (uint32_t v = 0; v < 128; ++v) model.length[v] = 2 * kBit + Log2Cost(v);
    return model;
}

CostModel CostModel::FromCodeLengths(const std::vector<uint8_t>& mainLengths, const std::vector<uint8_t>& lengthLengths) {
    CostModel model;
    model.tableSize = static_cast<int>(mainLengths.size() - 256) / 2;
    for (uint8_t bits : mainLengths) model.main.push_back(bits * kBit);
    for (uint8_t bits : lengthLengths) model.length.push_back(bits * kBit);
    return model;
}
