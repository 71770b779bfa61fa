// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "util/ElapsedSeconds.h"
#include "util/FormatThousands.h"
#include "util/Glob.h"
#include "util/PathParts.h"

namespace {

TEST(FormatThousands, GroupBoundariesAndNegatives) {
    const std::pair<int64_t, const char*> cases[] = {
        {0, "0"},           {999, "999"},         {1000, "1,000"},           {1005, "1,005"},
        {999999, "999,999"}, {1000000, "1,000,000"}, {1000000000, "1,000,000,000"}, {2147483647, "2,147,483,647"},
        {-1500, "-1500"},    {-2147483647 - 1, "-2147483648"}, {3000000000, "3,000,000,000"},
    };
    for (const auto& [value, text] : cases) EXPECT_EQ(FormatThousands(value), text) << value;
}

struct PathCase {
    std::string path;
    std::string directory;
    std::string fileName;
};

TEST(PathParts, SplitsAtTheLastSeparatorUnderTheLeadByteRule) {
    const PathCase cases[] = {
        {"C:/TMP/DATA/A.TXT", "C:/TMP/DATA/", "A.TXT"},
        {"A.TXT", "", "A.TXT"},
        {"C:/TMP/", "C:/TMP/", ""},
        {"C:A.TXT", "", "C:A.TXT"},
        {"DIR\\A.TXT", "", "DIR\\A.TXT"},  // only the host separator separates
        // 表 is 0x95 0x5C: its second byte is no separator.
        {"\x95\x5c/B", "\x95\x5c/", "B"},
        {"\x95/B", "", "\x95/B"},  // a lead byte hides the byte after it
        {"A/\x95", "A/", "\x95"},  // a lone lead byte at the end stops at the terminator
    };
    for (const PathCase& c : cases) {
        const PathParts parts(c.path);
        EXPECT_EQ(parts.full, c.path);
        EXPECT_EQ(parts.directory, c.directory) << c.path;
        EXPECT_EQ(parts.fileName, c.fileName) << c.path;
    }
}

TEST(ElapsedSeconds, AcrossAChangeOfSecond) {
    EXPECT_NEAR(ElapsedSeconds({10, 990}, {11, 20}), 0.03, 1e-9);
    EXPECT_EQ(SecondsText(ElapsedSeconds({10, 990}, {11, 20})), "0.03");
    EXPECT_EQ(SecondsText(12.4), "12.40");
    EXPECT_EQ(SecondsText(0.0), "0.00");
}

// A pattern selects a name when it matches the name or one of its folders;
// the one-pass form must agree with matching every folder on its own.
TEST(GlobSelects, AgreesWithMatchingEachFolder) {
    const std::string deep = [] {
        std::string name;
        for (int i = 0; i < 40; ++i) {
            name += 'd';
            name += static_cast<char>('0' + i % 3);
            name += '/';
        }
        return name + "leaf.txt";
    }();
    const std::vector<std::string> names = {"a", "a/b", "a/b/c.txt", "docs/notes.txt", "表計算/ソフト一覧.txt",
                                            "x//y", "/abs", "a/", deep, "\xF0/ab", "\xE3\x81/b"};
    const std::vector<std::string> patterns = {"a", "a/b", "*", "*/b", "**", "**/c.txt", "a*", "?", "docs",
                                               "表計算", "*.txt", "x/", "x", "d0/d1", "**/d2", "d0/*/d2/d0",
                                               "[ad]*", "nomatch*", "", "**/leaf.txt", "d?/**/leaf.*", "\xF0",
                                               "\xE3\x81", "?"};
    for (const std::string& name : names) {
        for (const std::string& pattern : patterns) {
            bool expected = GlobMatch(pattern, name);
            for (size_t slash = name.find('/'); slash != std::string::npos; slash = name.find('/', slash + 1)) {
                expected = expected || GlobMatch(pattern, name.substr(0, slash));
            }
            EXPECT_EQ(GlobSelects(pattern, name), expected) << pattern << " on " << name;
        }
    }
}

}  // namespace
