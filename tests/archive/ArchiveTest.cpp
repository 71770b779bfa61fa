// The archive container: header search, key, directory block and names.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "archive/ArchiveDirectory.h"
#include "archive/ArchiveHeader.h"
#include "archive/FileInputStream.h"
#include "archive/PasswordKey.h"
#include "archive/StoredName.h"
#include "dialog/Messages.h"
#include "extract/ExtractJob.h"

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

TEST_F(OpenArchiveTest, PasswordMissingWrongAndRight) {
    const auto archive = Archive({{"x", 0, test::Bytes("data")}}, ArchiveOptions{false, false, "pw"});
    dialog.password = "";
    EXPECT_EQ(Open(archive), "ShowInformation " + Text(Msg::PasswordMissing));
    dialog.password = "px";
    EXPECT_EQ(Open(archive), "ShowInformation " + Text(Msg::PasswordWrong));
    dialog.password = "pw";
    EXPECT_EQ(Open(archive), "");
    // Without the password bit no password is asked, even if one is at hand.
    dialog.password = "pw";
    EXPECT_EQ(Open(Archive({{"x", 0, {}}})), "");
    for (const auto& call : dialog.calls) EXPECT_EQ(call.rfind("InputPassword", 0), std::string::npos);
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

TEST_F(OpenArchiveTest, NamesThatLeaveTheOutputFolderAreRefused) {
    for (const char* name : {"..\\x", "a/../../x", "/etc/x", "\\x", "C:x", "c:\\x", ""}) {
        EXPECT_EQ(Open(Archive({{"ok", 0, {}}, {name, 0, {}}})),
                  "ShowMessage " + Compose(Msg::UnsafeName, {NormaliseSeparators(name, '/')}))
            << name;
    }
    EXPECT_TRUE(IsSafeName("a/..b/c..", '/'));
    EXPECT_TRUE(IsSafeName("\x95\x2f", '/'));  // not a separator inside a double-byte character
}

TEST(ArchiveDirectory, DamagedBlocksAreRefused) {
    test::RecordingDialog dialog;
    const struct {
        const char* what;
        std::vector<uint8_t> block;
        int32_t count;
        bool ok;
    } cases[] = {
        {"one entry", {0, 0, 0, 3, 0, 0, 0, 9, 'a', 0}, 1, true},
        {"name runs off the end", {0, 0, 0, 3, 0, 0, 0, 9, 'a', 'b'}, 1, false},
        {"negative size", {0x80, 0, 0, 0, 0, 0, 0, 9, 'a', 0}, 1, false},
        {"block shorter than sizes and times", {0, 0, 0, 3}, 1, false},
        {"negative count", {}, -1, false},
        {"empty", {}, 0, true},
    };
    for (const auto& c : cases) {
        auto block = c.block;
        ArchiveDirectory directory(&dialog);
        EXPECT_EQ(directory.Build(block.data(), static_cast<int32_t>(block.size()), c.count), c.ok) << c.what;
        if (c.ok && c.count == 1) {
            EXPECT_EQ(directory.sizes[0], 3);
            EXPECT_EQ(directory.times[0], 9);
            EXPECT_EQ(directory.largestSize, 3);
        }
    }
}

}  // namespace
