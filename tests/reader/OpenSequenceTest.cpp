// SPDX-License-Identifier: MIT
// Opening an archive: the header at the start or through the trailer, and
// the directory's names under the lead-byte rule; qxdec's words for what
// stops it.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "archive/FileInputStream.h"
#include "qxdec/ExtractJob.h"
#include "qxdec/Messages.h"
#include "reader/OpenSequence.h"

namespace {

class OpenSequenceTest : public ::testing::Test {
protected:
    test::TempDir dir;
    std::unique_ptr<FileInputStream> stream;
    OpenedArchive opened;

    std::string Path() { return dir.Internal() + "a.qx1"; }
    ReadFault Open(const std::vector<uint8_t>& bytes) {
        test::WriteBytes(dir.Path() / "a.qx1", bytes);
        stream = std::make_unique<FileInputStream>(Path());
        opened = OpenedArchive{};
        return OpenArchiveStream(*stream, [] { return std::optional<std::string>(""); }, opened);
    }
    // What qxdec says last when it cannot open the file; "" when it opens.
    std::string Refusal(const std::string& path) {
        test::RecordingDialog dialog;
        ExtractJob job(&dialog, dir.Internal() + "out/");
        job.Run(path, true);
        return job.Failed() ? dialog.calls.back() : "";
    }
};

TEST_F(OpenSequenceTest, HeaderAtStartThroughTrailerOrNowhere) {
    const auto archive = BuildArchive({{"x.txt", 0, test::Bytes("hello")}}, {});
    EXPECT_EQ(Open(archive), ReadFault::None);
    const auto sfx = AppendToProgram(std::vector<uint8_t>(37376, 'P'), archive);
    ASSERT_EQ(Open(sfx), ReadFault::None);
    EXPECT_EQ(opened.loaded.directory->names[0], "x.txt");
    EXPECT_EQ(opened.streamStart, 37376 + ArchiveHeader::kSize);
    // A program part of any length is found through the trailer.
    EXPECT_EQ(Open(AppendToProgram(std::vector<uint8_t>(5, 'P'), archive)), ReadFault::None);

    auto broken = sfx;
    broken[37376] = 'Q';  // the place the trailer names holds no signature
    EXPECT_EQ(Open(broken), ReadFault::NotAnArchive);
    EXPECT_EQ(Refusal(Path()), "ShowMessage " + Compose(Msg::NotAnArchive, {Path()}));
    auto outside = sfx;
    outside[outside.size() - 4] = 0x7F;  // the trailer points before the file
    EXPECT_EQ(Open(outside), ReadFault::NotAnArchive);
    EXPECT_EQ(Open(std::vector<uint8_t>(100, 'z')), ReadFault::NotAnArchive);
    // Under 20 bytes: the read message, even with a valid trailer.
    EXPECT_EQ(Open({'q', 'x', '0', '1', 0, 0, 0, 4}), ReadFault::ShortFile);
    EXPECT_EQ(Refusal(Path()), "ShowMessage " + Compose(Msg::CannotRead, {Path()}));
    EXPECT_EQ(Refusal(dir.Internal() + "none.qx1"), "ShowMessage " + Compose(Msg::CannotOpen, {dir.Internal() + "none.qx1"}));
}

TEST_F(OpenSequenceTest, NamesAreNormalisedUnderTheLeadByteRule) {
    ASSERT_EQ(Open(BuildArchive({{"a\\b/c", 0, {}}, {"\x95\x5c\\d", 0, {}}, {"\x83\x5c", 0, {}}}, {})), ReadFault::None);
    const ArchiveDirectory& directory = *opened.loaded.directory;
    EXPECT_EQ(directory.names[0], "a/b/c");
    EXPECT_EQ(directory.names[1], "\x95\x5c/d");
    EXPECT_EQ(directory.names[2], "\x83\x5c");
    ASSERT_EQ(Open(BuildArchive({}, {})), ReadFault::None);
    EXPECT_EQ(opened.loaded.directory->count, 0);
    EXPECT_EQ(opened.loaded.directory->largestSize, 0);
}

}  // namespace
