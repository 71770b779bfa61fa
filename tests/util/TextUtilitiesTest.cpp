#include <gtest/gtest.h>

#include "util/ElapsedSeconds.h"
#include "util/FormatThousands.h"
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

}  // namespace
