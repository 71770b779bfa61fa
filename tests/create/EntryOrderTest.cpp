// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "archive/BlockPlan.h"
#include "create/EntryOrder.h"

namespace {

std::vector<int32_t> Sizes(const std::vector<ArchiveEntry>& entries) {
    std::vector<int32_t> sizes;
    for (const auto& e : entries) sizes.push_back(static_cast<int32_t>(e.data.size()));
    return sizes;
}

TEST(EntryOrder, BestFitLargestFirstMakesFewerBlocks) {
    std::vector<ArchiveEntry> entries;
    for (auto [name, size] : std::vector<std::pair<const char*, size_t>>{{"a", 3}, {"b", 10}, {"c", 7}, {"e", 5}, {"d", 5}}) {
        entries.push_back({name, 0, std::vector<uint8_t>(size, 1)});
    }
    auto sizes = Sizes(entries);
    EXPECT_EQ(CutBlocks(sizes.data(), 5, 10).size(), 4u);  // {3} {10} {7} {5, 5}
    OrderEntriesForBlocks(entries);
    std::string names;
    for (const auto& e : entries) names += e.name;
    EXPECT_EQ(names, "bcade");  // {10} {7, 3} {5, 5}: ties by name
    sizes = Sizes(entries);
    EXPECT_EQ(CutBlocks(sizes.data(), 5, 10).size(), 3u);
    std::vector<ArchiveEntry> none;
    OrderEntriesForBlocks(none);
    EXPECT_TRUE(none.empty());
}

}  // namespace
