#include "codec/CostModel.h"

#include <cmath>

CostModel CostModel::Initial(int n) {
    CostModel model;
    model.tableSize = n;
    model.main.assign(static_cast<size_t>(2 * n + 256), 8.0f);
    for (int r = 0; r < 2 * n; ++r) {
        // Recent slots (offsets near N - 1) are the likely ones.
        const int age = n - 1 - r % n;
        model.main[static_cast<size_t>(r)] = 7.0f + std::log2(1.0f + static_cast<float>(age));
    }
    model.length.assign(128, 0.0f);
    for (int v = 0; v < 128; ++v) model.length[static_cast<size_t>(v)] = 2.0f + std::log2(1.0f + static_cast<float>(v));
    return model;
}

CostModel CostModel::FromCodeLengths(const std::vector<uint8_t>& mainLengths, const std::vector<uint8_t>& lengthLengths) {
    CostModel model;
    model.tableSize = static_cast<int>(mainLengths.size() - 256) / 2;
    model.main.assign(mainLengths.begin(), mainLengths.end());
    model.length.assign(lengthLengths.begin(), lengthLengths.end());
    return model;
}
