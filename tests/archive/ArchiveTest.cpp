// SPDX-License-Identifier: MIT
// The archive container: key, stream and the check of stored names.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "archive/ArchiveDirectory.h"
#include "archive/ArchiveHeader.h"
#include "archive/FileInputStream.h"
#include "archive/PasswordKey.h"
#include "archive/StoredName.h"

namespace {

TEST(PasswordKey, CheckAndKey) {
    const struct {
        std::string password;
        uint8_t check;
        uint32_t key;
    } cases[] = {
        {"a", 0x62, 0xFFFFDC01u},
        {"ab", 0xC6, 0xFFFFB4FAu},
        {"secret", 0x81, 0x24B24BA4u},
        // 0x81 enters sign-extended; unsigned it would give 0xFFFFAF44.
        {"\x81\x40", 0xC4, 0xFFFFB044u},
    };
    for (const auto& c : cases) {
        const PasswordKey k = DerivePasswordKey(c.password);
        EXPECT_EQ(k.check, c.check) << c.password;
        EXPECT_EQ(k.key, c.key) << c.password;
    }
}

TEST(FileInputStream, KeyPatternStartsAgainAtEveryRead) {
    test::TempDir dir;
    test::WriteBytes(dir.Path() / "zeros", std::vector<uint8_t>(1030, 0));
    FileInputStream stream(dir.Internal() + "zeros");
    const unsigned char key[4] = {1, 2, 3, 4};
    std::copy(key, key + 4, stream.key);
    unsigned char buffer[512];
    for (int read = 0; read < 2; ++read) {
        ASSERT_EQ(stream.Read(buffer, 512), 512);
        for (int j = 0; j < 512; ++j) ASSERT_EQ(buffer[j], key[j % 4]) << read << " " << j;
    }
    ASSERT_EQ(stream.Read(buffer, 512), 6);
    EXPECT_EQ(buffer[5], 2);
    buffer[0] = 0x77;
    EXPECT_EQ(stream.Read(buffer, 512), 0);
    EXPECT_EQ(buffer[0], 0x77);  // untouched at the end
}

TEST(StoredName, NamesThatStayInsideTheFolder) {
    for (const char* name : {"a/..b/c..", "\x95\x2f", "x", "12:30 notes.txt", "con.txt"}) {
        EXPECT_TRUE(IsSafeName(name, '/')) << name;
    }
    for (const char* name : {"../x", "a/../../x", "/x", "C:x", "a/..", ""}) EXPECT_FALSE(IsSafeName(name, '/')) << name;
    // The faults that only Windows has, checked with its rules on any host.
    const std::pair<const char*, NameFault> windows[] = {
        {"12:30.txt", NameFault::Colon},       {"a\\CON", NameFault::DeviceName},
        {"nul.txt", NameFault::DeviceName},    {"com9\\x", NameFault::DeviceName},
        {"CONOUT$", NameFault::DeviceName},    {"dir.\\x", NameFault::TrailingDotOrSpace},
        {"x ", NameFault::TrailingDotOrSpace}, {"com10", NameFault::None},
        {"console.txt", NameFault::None},      {"D:x", NameFault::Drive},
    };
    for (const auto& [name, fault] : windows) EXPECT_EQ(CheckStoredName(name, '\\', true), fault) << name;
}

}  // namespace
