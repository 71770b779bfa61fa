// SPDX-License-Identifier: MIT
// Hand-built streams: the code description, then code words written bit by
// bit, read back through the decoder.
#include <gtest/gtest.h>

#include <algorithm>

#include "TestSupport.h"
#include "codec/BitWriter.h"
#include "codec/CodeLengths.h"
#include "codec/CodecTestSupport.h"
#include "codec/HuffmanDecoder.h"

namespace {

constexpr int kMain256 = 768;

// Description of flat codes: every main and length symbol has a word.
struct FlatCode {
    std::vector<uint8_t> mainLengths = BuildCodeLengths(std::vector<uint64_t>(kMain256, 1));
    std::vector<uint8_t> lengthLengths = BuildCodeLengths(std::vector<uint64_t>(128, 1));
    HuffmanTable mainCodes;
    HuffmanTable lengthCodes;

    FlatCode() {
        CodesForLengths(mainLengths.data(), kMain256, mainCodes);
        CodesForLengths(lengthLengths.data(), 128, lengthCodes);
    }
    void Describe(BitWriter& out) const {
        for (uint8_t v : mainLengths) out.Write(v, 5);  // 768 fields of 5 bits
        for (uint8_t v : lengthLengths) out.Write(v, 5);  // 128 fields of 5 bits
    }
    void LengthSymbol(BitWriter& out, int v) const { out.WriteCode(lengthCodes.codes[v], lengthCodes.codeLengths[v]); }
};

uint32_t Bits(const std::string& bits) {
    uint32_t value = 0;
    for (char c : bits) value = (value << 1) | (c == '1');
    return value;
}

TEST(HuffmanDecoder, DescriptionUsesExactly560BytesAndTwoReads) {
    auto stream = test::RandomBytes(1500, 7);
    FlatCode code;
    BitWriter head;
    code.Describe(head);
    ASSERT_EQ(head.bytes.size(), 560u);
    std::copy(head.bytes.begin(), head.bytes.end(), stream.begin());
    test::MemoryStream source(stream);
    HuffmanDecoder decoder(&source, 256);
    EXPECT_EQ(decoder.decodeError, 0u);
    EXPECT_EQ(source.reads, 2);
    EXPECT_EQ(decoder.Window(), (uint32_t{stream[560]} << 24) | (stream[561] << 16) | (stream[562] << 8) | stream[563]);
    EXPECT_EQ(decoder.firstIndex[0], 0);
    for (uint16_t index : decoder.firstIndex) EXPECT_LT(index, kMain256);
}

struct EscapeCase {
    std::string count;    // 5 bits c
    std::string payload;  // c + 1 bits
    uint32_t value;
};

void PrintTo(const EscapeCase& c, std::ostream* out) { *out << "c " << c.count << " payload " << c.payload; }

class EscapeTest : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(EscapeTest, ReturnsThePayloadUnchanged) {
    const EscapeCase& c = GetParam();
    FlatCode code;
    BitWriter out;
    code.Describe(out);
    code.LengthSymbol(out, 127);                                         // escape
    out.Write(Bits(c.count), 5);                                         // c
    for (char bit : c.payload) out.Write(bit == '1', 1);                 // value, MSB first
    code.LengthSymbol(out, 7);                                           // a plain length after it
    out.Flush();
    test::MemoryStream source(out.bytes);
    HuffmanDecoder decoder(&source, 256);
    EXPECT_EQ(decoder.DecodeLength(), c.value);
    EXPECT_EQ(decoder.DecodeLength(), 7u);
    EXPECT_EQ(decoder.decodeError, 0u);
}

INSTANTIATE_TEST_SUITE_P(Examples, EscapeTest,
                         ::testing::Values(EscapeCase{"00011", "1010", 10}, EscapeCase{"00000", "1", 1},
                                           EscapeCase{"00000", "0", 0}, EscapeCase{"00100", "00101", 5},
                                           EscapeCase{"11111", std::string(32, '1'), 0xFFFFFFFFu}),
                         [](const auto& info) { return "Value" + std::to_string(info.param.value); });

TEST(HuffmanDecoder, EveryLengthSymbolComesBackAsItself) {
    // Flat words of 7 bits, and skewed ones of up to 20 bits: the short are
    // found by table, the long by search.
    for (const bool skewed : {false, true}) {
        FlatCode code;
        if (skewed) {
            std::vector<uint64_t> frequencies(128, 1);
            for (size_t v = 0; v < 20; ++v) frequencies[v] = uint64_t{1} << (20 - v);
            code.lengthLengths = BuildCodeLengths(frequencies);
            ASSERT_GT(*std::max_element(code.lengthLengths.begin(), code.lengthLengths.end()), 12);
            ASSERT_TRUE(CodesForLengths(code.lengthLengths.data(), 128, code.lengthCodes));
        }
        BitWriter out;
        code.Describe(out);
        for (int v = 0; v < 127; ++v) code.LengthSymbol(out, v);
        out.Flush();
        test::MemoryStream source(out.bytes, 13);  // a source that delivers 13 bytes per read
        HuffmanDecoder decoder(&source, 256);
        for (uint32_t v = 0; v < 127; ++v) EXPECT_EQ(decoder.DecodeLength(), v) << skewed;
        EXPECT_EQ(decoder.decodeError, 0u);
    }
}

TEST(HuffmanDecoder, LongAndShortCodeWordsDecode) {
    // Skewed frequencies give words from a few bits up to well past 12.
    std::vector<uint64_t> frequencies(kMain256);
    for (int s = 0; s < kMain256; ++s) frequencies[static_cast<size_t>(s)] = s < 8 ? 1u << 20 : 1 + s % 5;
    const auto lengths = BuildCodeLengths(frequencies);
    ASSERT_LT(*std::min_element(lengths.begin(), lengths.end()), 12);
    ASSERT_GE(*std::max_element(lengths.begin(), lengths.end()), 14);
    HuffmanTable codes;
    ASSERT_TRUE(CodesForLengths(lengths.data(), kMain256, codes));
    BitWriter out;
    for (uint8_t v : lengths) out.Write(v, 5);
    for (int v = 0; v < 128; ++v) out.Write(7, 5);
    for (int s = kMain256 - 1; s >= 0; --s) out.WriteCode(codes.codes[s], codes.codeLengths[s]);
    out.Flush();
    test::MemoryStream source(out.bytes);
    HuffmanDecoder decoder(&source, 256);
    for (int s = kMain256 - 1; s >= 0; --s) ASSERT_EQ(decoder.DecodeSymbol(), s);
    EXPECT_EQ(decoder.decodeError, 0u);
}

TEST(HuffmanDecoder, DescriptionWithZerosDecodesByTheMergedCode) {
    // Values that are not code lengths (zeros among them) only steer the
    // merge; the decoder must use the codes the merge gives.
    std::vector<uint8_t> values(kMain256, 10);
    values[0] = 0;
    values[1] = 0;
    values[700] = 3;
    HuffmanTable merged;
    ASSERT_TRUE(merged.Allocate(kMain256));
    for (int s = 0; s < kMain256; ++s) merged.nodes[s].depth = values[static_cast<size_t>(s)];
    MergeCodes(merged);
    BitWriter out;
    for (uint8_t v : values) out.Write(v, 5);
    for (int v = 0; v < 128; ++v) out.Write(7, 5);
    const int symbols[] = {0, 1, 700, 767, 300};
    for (int s : symbols) out.WriteCode(merged.codes[s], merged.codeLengths[s]);
    out.Flush();
    test::MemoryStream source(out.bytes);
    HuffmanDecoder decoder(&source, 256);
    for (int s : symbols) EXPECT_EQ(decoder.DecodeSymbol(), s);
    EXPECT_EQ(decoder.decodeError, 0u);
}

TEST(HuffmanDecoder, DescriptionWithCodesBeyond32BitsIsRejected) {
    // All zeros merge into a chain hundreds of bits deep.
    test::MemoryStream source(std::vector<uint8_t>(2000, 0));
    HuffmanDecoder decoder(&source, 256);
    EXPECT_EQ(decoder.decodeError, 1u);
    EXPECT_EQ(decoder.DecodeSymbol(), 0);
    EXPECT_EQ(decoder.DecodeLength(), 0u);
}

}  // namespace
