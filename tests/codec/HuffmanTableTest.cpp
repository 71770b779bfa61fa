// SPDX-License-Identifier: MIT
// The merged codes are not canonical: which side gets 0 follows from the
// merge order, and depths are compared unsigned.
#include <gtest/gtest.h>

#include "codec/CodeLengths.h"
#include "codec/CodecTestSupport.h"
#include "codec/HuffmanTable.h"

namespace {

struct MergeCase {
    std::vector<uint32_t> values;
    std::vector<std::string> codes;
};

void PrintTo(const MergeCase& c, std::ostream* out) {
    *out << "depths";
    for (const uint32_t value : c.values) *out << ' ' << value;
}

class MergeCodesTest : public ::testing::TestWithParam<MergeCase> {};

TEST_P(MergeCodesTest, GivesTheCodesOfTheMergeOrder) {
    const MergeCase& c = GetParam();
    HuffmanTable table;
    ASSERT_TRUE(table.Allocate(static_cast<int>(c.values.size())));
    for (size_t i = 0; i < c.values.size(); ++i) table.nodes[i].depth = c.values[i];
    MergeCodes(table);
    for (size_t s = 0; s < c.values.size(); ++s) EXPECT_EQ(test::CodeBits(table, static_cast<int>(s)), c.codes[s]) << s;
}

INSTANTIATE_TEST_SUITE_P(
    Examples, MergeCodesTest,
    ::testing::Values(MergeCase{{1, 2, 2}, {"1", "00", "01"}}, MergeCase{{2, 1, 3, 3}, {"01", "1", "000", "001"}},
                      MergeCase{{0, 1, 1}, {"1", "00", "01"}},
                      // 0 - 1 compared signed would give 00, 01, 10, 11.
                      MergeCase{{0, 0, 1, 1}, {"10", "11", "00", "01"}},
                      MergeCase{{2, 2, 2, 2, 2, 2, 2, 2}, {"000", "001", "010", "011", "100", "101", "110", "111"}},
                      MergeCase{{5, 5}, {"0", "1"}}, MergeCase{{0, 0}, {"0", "1"}},
                      // Depths beyond any code length merge in the same order.
                      MergeCase{{300, 301, 301}, {"1", "00", "01"}}),
    // The case's number and its codes, such as "Case0_1_00_01".
    [](const auto& info) {
        std::string name = "Case" + std::to_string(info.index);
        for (const std::string& code : info.param.codes) name += "_" + code;
        return name;
    });

TEST(CodeLengths, CompleteWithinLimitAndGivenBackByMerging) {
    // Skewed frequencies (Fibonacci-like) would need far more than 31 bits
    // without the limit; zero frequencies still get a code.
    std::vector<uint64_t> frequencies(768, 0);
    uint64_t a = 1, b = 1;
    for (size_t i = 0; i < 60; ++i) {
        frequencies[i] = a;
        const uint64_t next = a + b;
        a = b;
        b = next;
    }
    const auto lengths = BuildCodeLengths(frequencies);
    double kraft = 0;
    for (uint8_t length : lengths) {
        ASSERT_GE(length, 1);
        ASSERT_LE(length, 31);
        kraft += 1.0 / static_cast<double>(1ull << length);
    }
    EXPECT_DOUBLE_EQ(kraft, 1.0);
    EXPECT_LT(lengths[59], lengths[0]);  // the most frequent symbol is the shortest
    HuffmanTable table;
    EXPECT_TRUE(CodesForLengths(lengths.data(), static_cast<int>(lengths.size()), table));
}

TEST(CodeLengths, IsOptimalForASmallCase) {
    // Huffman for 1, 1, 2, 4 gives 3, 3, 2, 1 bits.
    EXPECT_EQ(BuildCodeLengths({1, 1, 2, 4}), (std::vector<uint8_t>{3, 3, 2, 1}));
    // With a limit of 2 bits the only complete code is 2, 2, 2, 2.
    EXPECT_EQ(BuildCodeLengths({1, 1, 2, 4}, 2), (std::vector<uint8_t>{2, 2, 2, 2}));
}

}  // namespace
