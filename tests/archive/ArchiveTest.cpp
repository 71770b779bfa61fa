// The archive container: header search, key, directory block and names.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "archive/ArchiveDirectory.h"
#include "archive/ArchiveHeader.h"
#include "archive/FileInputStream.h"
#include "archive/PasswordKey.h"
#include "archive/StoredName.h"
#include "qxdec/Messages.h"
#include "qxdec/ExtractJob.h"

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

class OpenArchiveTest : public ::testing::Test {
protected:
    test::TempDir dir;
    test::RecordingDialog dialog;

    std::vector<uint8_t> Archive(const std::vector<ArchiveEntry>& entries, const ArchiveOptions& options = {}) {
        return BuildArchive(entries, options);
    }
    // Opens the file and returns the one message shown, or "" when it opened.
    std::string Open(const std::vector<uint8_t>& bytes, ExtractJob** keep = nullptr) {
        test::WriteBytes(dir.Path() / "a.qx1", bytes);
        dialog.calls.clear();
        static std::unique_ptr<ExtractJob> job;
        job = std::make_unique<ExtractJob>(&dialog, std::nullopt);
        const int result = job->OpenArchive(dir.Internal() + "a.qx1");
        if (keep) *keep = job.get();
        if (result == 0) return "";
        return dialog.calls.empty() ? "?" : dialog.calls.back();
    }
    std::string Path() { return dir.Internal() + "a.qx1"; }
};

TEST_F(OpenArchiveTest, HeaderAtStartThroughTrailerOrNowhere) {
    const auto archive = Archive({{"x.txt", 0, test::Bytes("hello")}});
    EXPECT_EQ(Open(archive), "");
    const auto sfx = AppendToProgram(std::vector<uint8_t>(37376, 'P'), archive);
    ExtractJob* job = nullptr;
    EXPECT_EQ(Open(sfx, &job), "");
    EXPECT_EQ(job->directory->names[0], "x.txt");
    // A program part of any length is found through the trailer.
    EXPECT_EQ(Open(AppendToProgram(std::vector<uint8_t>(5, 'P'), archive)), "");

    const std::string notArchive = "ShowMessage " + Compose(Msg::NotAnArchive, {Path()});
    auto broken = sfx;
    broken[37376] = 'Q';  // the place the trailer names holds no signature
    EXPECT_EQ(Open(broken), notArchive);
    auto outside = sfx;
    outside[outside.size() - 4] = 0x7F;  // the trailer points before the file
    EXPECT_EQ(Open(outside), notArchive);
    EXPECT_EQ(Open(std::vector<uint8_t>(100, 'z')), notArchive);
    // Under 20 bytes: the read message, even with a valid trailer.
    EXPECT_EQ(Open({'q', 'x', '0', '1', 0, 0, 0, 4}), "ShowMessage " + Compose(Msg::CannotRead, {Path()}));
    test::TempDir other;
    ExtractJob missing(&dialog, std::nullopt);
    EXPECT_EQ(missing.OpenArchive(other.Internal() + "none.qx1"), -1);
    EXPECT_EQ(dialog.calls.back(), "ShowMessage " + Compose(Msg::CannotOpen, {other.Internal() + "none.qx1"}));
}

TEST_F(OpenArchiveTest, NamesAreNormalisedUnderTheLeadByteRule) {
    ExtractJob* job = nullptr;
    ASSERT_EQ(Open(Archive({{"a\\b/c", 0, {}}, {"\x95\x5c\\d", 0, {}}, {"\x83\x5c", 0, {}}}), &job), "");
    EXPECT_EQ(job->directory->names[0], "a/b/c");
    EXPECT_EQ(job->directory->names[1], "\x95\x5c/d");
    EXPECT_EQ(job->directory->names[2], "\x83\x5c");
    ASSERT_EQ(Open(Archive({}), &job), "");
    EXPECT_EQ(job->directory->count, 0);
    EXPECT_EQ(job->directory->largestSize, 0);
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
