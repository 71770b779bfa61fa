// SPDX-License-Identifier: MIT
// Blocks of the host's pages: whole and writable at every size, and on a
// large-page boundary where the host backs them with large pages.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "platform/Pages.h"

namespace {

constexpr size_t kLargePage = size_t{2} << 20;

TEST(PageBlock, EverySizeIsWholeAndLargeOnesStartOnALargePage) {
    for (const size_t size : {size_t{0}, size_t{1}, size_t{4097}, kLargePage / 2 - 4096, kLargePage / 2,
                              kLargePage / 4 * 3 + 1, kLargePage + 1, 5 * kLargePage / 2}) {
        SCOPED_TRACE(size);
        platform::PageBlock block;
        ASSERT_TRUE(block.Allocate(size));
        ASSERT_NE(block.Get(), nullptr);
        EXPECT_EQ(block.Size(), size);
        std::fill(block.Get(), block.Get() + size, 0x5A);
        EXPECT_EQ(std::count(block.Get(), block.Get() + size, 0x5A), static_cast<std::ptrdiff_t>(size));
        if (platform::LargePages() && size >= kLargePage / 2) {
            EXPECT_EQ(reinterpret_cast<uintptr_t>(block.Get()) % kLargePage, 0u);
        }
        platform::PageBlock moved(std::move(block));
        EXPECT_EQ(block.Get(), nullptr);
        EXPECT_EQ(moved.Size(), size);
    }
}

TEST(PageBlock, ASizeNoHostCanMapFails) {
    platform::PageBlock block;
    EXPECT_FALSE(block.Allocate(SIZE_MAX - 100));
    EXPECT_EQ(block.Get(), nullptr);
    EXPECT_EQ(block.Size(), 0u);
}

}  // namespace
