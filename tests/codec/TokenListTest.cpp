// SPDX-License-Identifier: MIT
// The compact step list gives back exactly the steps put in, across its
// chunk boundaries, across lists put one behind the other, and for length
// values of every size.
#include <gtest/gtest.h>

#include <vector>

#include "codec/TokenList.h"

namespace {

TEST(TokenList, GivesBackEveryStep) {
    for (const int n : {256, 512}) {
        const auto literal = static_cast<uint16_t>(2 * n);
        const std::vector<Token> kinds = {
            {literal, 0},
            {static_cast<uint16_t>(literal + 255), 0},
            {static_cast<uint16_t>(n), 0},          // a remembered length
            {static_cast<uint16_t>(2 * n - 1), 0},
            {0, 0},                                 // decoded lengths of every size
            {static_cast<uint16_t>(n - 1), 127},
            {5, 128},
            {6, 16384},
            {7, 0xFFFFFFFFu},
        };
        TokenList list(n);
        std::vector<Token> steps;
        // Enough steps to fill several chunks, in three lists: the second
        // one lands behind a chunk that is not full.
        for (const size_t piece : {1000, 40000, 19000}) {
            TokenList part(n);
            for (size_t i = 0; i < piece; ++i) {
                steps.push_back(kinds[steps.size() % kinds.size()]);
                part.push_back(steps.back());
            }
            list.Append(part);
        }
        ASSERT_EQ(list.size(), steps.size());
        size_t i = 0;
        for (const Token token : list) {
            ASSERT_EQ(token.symbol, steps[i].symbol) << n << " " << i;
            ASSERT_EQ(token.lengthValue, steps[i].lengthValue) << n << " " << i;
            ++i;
        }
        EXPECT_EQ(i, steps.size());
        list.clear();
        EXPECT_EQ(list.size(), 0u);
        EXPECT_FALSE(list.begin() != list.end());
    }
}

}  // namespace
