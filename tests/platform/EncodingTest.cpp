// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "platform/Encoding.h"

namespace {

TEST(Encoding, Cp932AndUtf8BothWays) {
    const std::pair<std::string, std::string> cases[] = {
        {"abc\\~", "abc\\~"},
        {"\x95\x5c", "表"},
        {"\x83\x5c", "ソ"},
        {"\xb1", "ｱ"},  // half-width katakana is one byte
        {"\x82\xa0\x82\xa2", "あい"},
    };
    for (const auto& [cp932, utf8] : cases) {
        std::string out;
        EXPECT_TRUE(platform::Utf8FromCp932(cp932, out));
        EXPECT_EQ(out, utf8);
        EXPECT_TRUE(platform::Cp932FromUtf8(utf8, out));
        EXPECT_EQ(out, cp932);
    }
}

TEST(Encoding, CharactersWithoutAFormAreRefusedOrReplaced) {
    std::string out;
    EXPECT_FALSE(platform::Cp932FromUtf8("a😀b", out));
    EXPECT_EQ(platform::Cp932FromUtf8Lossy("a😀b"), "a?b");
    EXPECT_FALSE(platform::Utf8FromCp932("a\x85\x40", out));  // an unassigned double-byte code
    EXPECT_EQ(platform::Utf8FromCp932Lossy("x\xff"), "x?");
}

}  // namespace
