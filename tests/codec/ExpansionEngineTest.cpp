// SPDX-License-Identifier: MIT
// The engine against streams that carry chosen steps.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <utility>

#include "TestSupport.h"
#include "codec/CodecTestSupport.h"
#include "codec/ContextTables.h"
#include "codec/ExpansionEngine.h"

namespace {

struct Expansion {
    ExpandResult result;
    std::string bytes;
    bool operator==(const Expansion&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Expansion& e) {
    return out << static_cast<int>(e.result) << " '" << e.bytes << "'";
}

// Expands the steps into an area of areaSize bytes up to target.
Expansion ExpandSteps(const std::vector<Token>& tokens, int n, int32_t areaSize, int32_t target, bool every = false) {
    test::MemoryStream source(test::StreamOf(tokens, n));
    ExpansionEngine engine(&source, every, n == 512);
    std::vector<unsigned char> area(static_cast<size_t>(areaSize) + 1, '#');
    engine.Reset(area.data(), areaSize);
    const ExpandResult result = engine.Expand(target);
    return {result, std::string(area.begin(), area.begin() + engine.Produced())};
}

Token Literal(int n, char c) { return Token{static_cast<uint16_t>(2 * n + static_cast<unsigned char>(c)), 0}; }

TEST(ExpansionEngine, LiteralSymbolsDependOnTableSize) {
    EXPECT_EQ(ExpandSteps({{577, 0}}, 256, 1, 1).bytes, "A");
    EXPECT_EQ(ExpandSteps({{1089, 0}}, 512, 1, 1).bytes, "A");
}

TEST(ExpansionEngine, OverlappingCopyRepeatsAShortString) {
    for (int n : {256, 512}) {
        // x y x, then offset N - 1 (the entry filed last under x: position 1,
        // length 1) with the decoded length 1 + 2 = 3.
        const std::vector<Token> tokens = {Literal(n, 'x'), Literal(n, 'y'), Literal(n, 'x'),
                                           {static_cast<uint16_t>(n - 1), 1}};
        EXPECT_EQ(ExpandSteps(tokens, n, 6, 6), (Expansion{ExpandResult::Done, "xyxyxy"}));
    }
}

TEST(ExpansionEngine, RememberedLengthCopiesTheFiledString) {
    const int n = 256;
    // After x y x y x y the row of y holds (2, 1); symbol 2N - 1 copies one x.
    const std::vector<Token> tokens = {Literal(n, 'x'), Literal(n, 'y'), Literal(n, 'x'), {255, 1}, {511, 0}};
    EXPECT_EQ(ExpandSteps(tokens, n, 7, 7), (Expansion{ExpandResult::Done, "xyxyxyx"}));
}

TEST(ExpansionEngine, FailuresOfMatches) {
    const int n = 256;
    struct Case {
        const char* what;
        std::vector<Token> tokens;
        int32_t areaSize;
        ExpandResult result;
        size_t produced;
    };
    const Case cases[] = {
        {"match as the first step", {{0, 0}}, 10, ExpandResult::NoSuchData, 0},
        {"remembered length on an empty slot", {Literal(n, 'a'), {256, 0}}, 10, ExpandResult::NoSuchData, 1},
        {"decoded length on an empty slot", {Literal(n, 'a'), {3, 0}}, 10, ExpandResult::NoSuchData, 1},
        {"match ending exactly at the area's end", {Literal(n, 'a'), Literal(n, 'b'), Literal(n, 'a'), {255, 3}}, 8, ExpandResult::Done, 8},
        {"match one byte past the end", {Literal(n, 'a'), Literal(n, 'b'), Literal(n, 'a'), {255, 4}}, 8, ExpandResult::BeyondArea, 3},
        {"length 2^32 - 1 never wraps", {Literal(n, 'a'), Literal(n, 'b'), Literal(n, 'a'), {255, 0xFFFFFFFFu}}, 8, ExpandResult::BeyondArea, 3},
    };
    for (const Case& c : cases) {
        const Expansion e = ExpandSteps(c.tokens, n, c.areaSize, c.areaSize);
        EXPECT_EQ(e.result, c.result) << c.what;
        EXPECT_EQ(e.bytes.size(), c.produced) << c.what;
    }
}

TEST(ExpansionEngine, TargetsBelowProducedAndBeyondTheArea) {
    const int n = 256;
    test::MemoryStream source(test::StreamOf({Literal(n, 'a'), Literal(n, 'b'), Literal(n, 'c')}, n));
    ExpansionEngine engine(&source, false, false);
    unsigned char area[3];
    engine.Reset(area, 3);
    EXPECT_EQ(engine.Expand(0), ExpandResult::Done);
    EXPECT_EQ(engine.Produced(), 0);
    EXPECT_EQ(engine.Expand(100), ExpandResult::Done);
    EXPECT_EQ(engine.Produced(), 3);
    EXPECT_EQ(engine.Expand(2), ExpandResult::Done);
    EXPECT_EQ(std::string(area, area + 3), "abc");
}

TEST(ExpansionEngine, StreamCutShortIsADataError) {
    const int n = 256;
    std::vector<Token> tokens(40, Literal(n, 'q'));
    auto stream = test::StreamOf(tokens, n);
    stream.resize(stream.size() - 8);  // the last code words are gone
    test::MemoryStream source(stream);
    ExpansionEngine engine(&source, false, false);
    std::vector<unsigned char> area(1 << 20);
    engine.Reset(area.data(), static_cast<int32_t>(area.size()));
    EXPECT_EQ(engine.Expand(static_cast<int32_t>(area.size())), ExpandResult::NoSuchData);
    EXPECT_LT(engine.Produced(), 100);  // stopped at the end of the data, not at the end of the area
}

class ContextTablesTest : public ::testing::Test {
protected:
    ContextTables tables;
    const unsigned char* area = reinterpret_cast<const unsigned char*>("pqrstuvw");
};

TEST_F(ContextTablesTest, EveryPositionFilesEachSuffixUnderItsOwnByte) {
    ASSERT_TRUE(tables.Allocate(256, true));
    // A 3-byte step at positions 1..3 after the context byte at 0.
    EXPECT_EQ(tables.Insert(area, 0, 4, 3), 3);
    EXPECT_EQ(tables.Source('p', 0), 1);
    EXPECT_EQ(tables.Length('p', 0), 3);
    EXPECT_EQ(tables.Source('q', 0), 2);
    EXPECT_EQ(tables.Length('q', 0), 2);
    EXPECT_EQ(tables.Source('r', 0), 3);
    EXPECT_EQ(tables.Length('r', 0), 1);
    EXPECT_EQ(tables.Head('r'), 1);
}

TEST_F(ContextTablesTest, WithoutEveryPositionOnlyTheStepIsFiled) {
    ASSERT_TRUE(tables.Allocate(256, false));
    EXPECT_EQ(tables.Insert(area, 0, 4, 3), 3);
    EXPECT_EQ(tables.Source('p', 0), 1);
    EXPECT_EQ(tables.HighWater('q'), 0);
    EXPECT_EQ(tables.HighWater('r'), 0);
}

TEST_F(ContextTablesTest, AWrappedRowTakesOnlyTheStepsOwnEntry) {
    ASSERT_TRUE(tables.Allocate(256, true));
    const unsigned char same[4] = {'q', 'q', 'q', 'q'};
    for (int i = 0; i < 257; ++i) tables.Insert(same, 0, 2, 1);  // 257 one-byte steps after 'q'
    EXPECT_EQ(tables.HighWater('q'), 256);
    EXPECT_EQ(tables.Head('q'), 1);
    // A 3-byte step after q whose later positions also follow q: only the
    // head slot changes, the extra entries are dropped.
    tables.Insert(same, 0, 4, 3);
    EXPECT_EQ(tables.Head('q'), 2);
    EXPECT_EQ(tables.Length('q', 1), 3);
    EXPECT_EQ(tables.Length('q', 2), 1);
}

// Insert against the rule written one position at a time: a step files
// its start under the byte before it, and each later position but the last
// under its own byte while that row has taken fewer than N entries. The
// bytes are skewed so that rows wrap at different times and steps mix
// wrapped and open rows, across Clear; each way of filing must agree.
TEST_F(ContextTablesTest, InsertFilesAsTheRuleOnePositionAtATime) {
    using Filing = ContextTables::Filing;
    for (const auto& [n, how] : {std::pair{256, Filing::kAsNeeded}, {512, Filing::kAsNeeded}, {512, Filing::kEach},
                                 {512, Filing::kLookup}}) {
        SCOPED_TRACE(testing::Message() << n << " " << static_cast<int>(how));
        auto insert = [&](const unsigned char* area, int32_t insertPos, int32_t produced, int32_t len) {
            if (how == Filing::kEach) return tables.Insert<Filing::kEach>(area, insertPos, produced, len);
            if (how == Filing::kLookup) return tables.Insert<Filing::kLookup>(area, insertPos, produced, len);
            return tables.Insert(area, insertPos, produced, len);
        };
        std::mt19937 random(n);
        std::vector<unsigned char> bytes(200000);
        for (auto& b : bytes) {
            const unsigned r = random() % 100;
            b = static_cast<unsigned char>(r < 70 ? 'a' + random() % 8 : r < 95 ? 'a' + random() % 26 : random() % 256);
        }
        ASSERT_TRUE(tables.Allocate(n, true));
        for (int block = 0; block < 2; ++block) {
            tables.Clear();
            std::vector<uint32_t> filed(256);
            std::vector<ContextTables::Entry> slots(256 * static_cast<size_t>(n));
            auto file = [&](unsigned c, uint32_t slot, int32_t source, int32_t length) {
                slots[c * n + slot] = {source, length};
                ++filed[c];
            };
            int32_t produced = 1, insertPos = 0;
            while (true) {
                const unsigned r = random() % 10;
                const auto len = static_cast<int32_t>(r < 3 ? 1 : r < 9 ? 2 + random() % 11 : 13 + random() % 28);
                if (produced + len > static_cast<int32_t>(bytes.size())) break;
                produced += len;
                if (insertPos >= produced - 1) continue;
                file(bytes[insertPos], filed[bytes[insertPos]] % n, insertPos + 1, len);
                for (int32_t pos = insertPos + 1; pos < produced - 1; ++pos) {
                    const unsigned c = bytes[pos];
                    if (filed[c] < static_cast<uint32_t>(n)) file(c, filed[c], pos + 1, insertPos + len - pos);
                }
                insertPos = insert(bytes.data(), insertPos, produced, len);
                ASSERT_EQ(insertPos, produced - 1);
            }
            for (unsigned c = 0; c < 256; ++c) {
                ASSERT_EQ(tables.filed[c], filed[c]) << c;
                for (uint32_t slot = 0; slot < std::min<uint32_t>(filed[c], n); ++slot) {
                    ASSERT_EQ(tables.Source(c, slot), slots[c * n + slot].source) << c << " " << slot;
                    ASSERT_EQ(tables.Length(c, slot), slots[c * n + slot].length) << c << " " << slot;
                }
            }
        }
    }
}

TEST_F(ContextTablesTest, ExtendGivesRoomApartFromTheSlotsAndEmptiesTheRows) {
    for (const size_t extra : {size_t{0}, size_t{1000}, size_t{1} << 20, size_t{3} << 20}) {
        SCOPED_TRACE(extra);
        ContextTables t;
        ASSERT_TRUE(t.Allocate(512, true));
        t.Insert(area, 0, 4, 3);
        unsigned char* room = t.Extend(extra);
        ASSERT_NE(room, nullptr);
        EXPECT_EQ(t.HighWater('p'), 0u);
        std::fill(room, room + extra, 0xAB);
        // Every slot of every row written: none of them lies in the room.
        for (unsigned c = 0; c < 256; ++c) {
            for (unsigned slot = 0; slot < 512; ++slot) {
                t.Source(c, slot) = -2;
                t.Length(c, slot) = -3;
            }
        }
        EXPECT_EQ(std::count(room, room + extra, 0xAB), static_cast<std::ptrdiff_t>(extra));
        EXPECT_EQ(t.Source(255, 511), -2);
    }
}

TEST_F(ContextTablesTest, RememberedMatchMovesTheHeadEntry) {
    ASSERT_TRUE(tables.Allocate(256, false));
    tables.Source('a', 0) = 5;
    tables.Length('a', 0) = 7;
    tables.filed['a'] = 256;  // a row that has wrapped: head 0
    tables.MoveHeadEntry('a', 9);
    EXPECT_EQ(tables.Source('a', 9), 5);
    EXPECT_EQ(tables.Length('a', 9), 7);
    tables.filed['b'] = 3;  // not wrapped: the head, slot 3, is the next free one and empty
    tables.Source('b', 4) = 11;
    tables.MoveHeadEntry('b', 4);
    EXPECT_EQ(tables.Source('b', 4), 11);
}

}  // namespace
