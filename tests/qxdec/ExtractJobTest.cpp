// SPDX-License-Identifier: MIT
// The extraction job's dialogue, call by call, and its blocks, modes and
// failures.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "qxdec/Messages.h"
#include "qxdec/ExtractJob.h"
#include "platform/Files.h"
#include "util/FormatThousands.h"

namespace {

class ExtractJobTest : public ::testing::Test {
protected:
    test::TempDir dir;
    test::RecordingDialog dialog;
    std::string out = dir.Internal() + "out/";

    ExtractJobTest() { std::filesystem::create_directories(dir.Path() / "out"); }

    using RunEnd = ExtractJob::RunEnd;

    RunEnd Run(const std::vector<ArchiveEntry>& entries, bool testFlag = false, const ArchiveOptions& options = {}) {
        test::WriteArchive(dir.Path() / "a.qx1", entries, options);
        return RunFile(testFlag);
    }
    RunEnd RunFile(bool testFlag = false) {
        dialog.calls.clear();
        ExtractJob job(&dialog, out);
        return job.Run(dir.Internal() + "a.qx1", testFlag);
    }
    std::string InFileLine() {
        return "ShowStatus " + Compose(Msg::InFileLine,
                                       {"a.qx1", FormatThousands(static_cast<int64_t>(
                                                     std::filesystem::file_size(dir.Path() / "a.qx1")))});
    }
    // Calls without the elapsed time of the closing report.
    std::vector<std::string> Calls() {
        auto calls = dialog.calls;
        for (auto& call : calls) {
            const auto at = call.find(test::Sjis("(処理時間："));
            if (at != std::string::npos) call = call.substr(0, at);
        }
        return calls;
    }
    std::string Report(Msg id) {
        const std::string text = Text(id);
        return "ShowInformation " + text.substr(0, text.find(test::Sjis("(処理時間：")));
    }
    std::string Line(Msg id, std::initializer_list<std::string_view> args) { return "ShowStatus " + Compose(id, args); }
};

TEST_F(ExtractJobTest, TwoEntriesCallByCall) {
    // Names of 91 bytes make a directory block of 200 bytes: 8200 in all.
    const std::string a(91, 'a'), b(91, 'b');
    ASSERT_EQ(Run({{a, 0, test::RandomBytes(5000, 1)}, {b, 0, test::RandomBytes(3000, 2)}}), RunEnd::Finished);
    const std::vector<std::string> expected = {
        "BeginProgress 1",
        InFileLine(),
        "SetProgressRange 100",
        Line(Msg::OutDirLine, {out, "2", "8,000"}),
        "UpdateProgress 0",
        Line(Msg::OutFileLine, {"1", "2", a, "5,000"}),
        "UpdateProgress 61",
        Line(Msg::OutFileLine, {"2", "2", b, "3,000"}),
        "UpdateProgress 100",
        Report(Msg::ReportExtract),
    };
    EXPECT_EQ(Calls(), expected);
}

TEST_F(ExtractJobTest, BlocksAreCutByTheLargestEntry) {
    // 600 + 400 passes 600: two blocks. 300 + 300 fits, 600 does not: {300, 300}, {600}.
    ASSERT_EQ(Run({{"a", 0, test::RandomBytes(600, 1)}, {"b", 0, test::RandomBytes(400, 2)}}, true), RunEnd::Finished);
    const auto twoBlocks = Calls();
    EXPECT_EQ(std::count(twoBlocks.begin(), twoBlocks.end(), "UpdateProgress 0"), 1);
    ASSERT_EQ(Run({{"a", 0, test::RandomBytes(300, 1)}, {"b", 0, test::RandomBytes(300, 2)},
                   {"c", 0, test::RandomBytes(600, 3)}}),
              RunEnd::Finished);
    const auto calls = Calls();
    // Progress before each block, then the block's entry lines.
    const auto first = std::find(calls.begin(), calls.end(), "UpdateProgress 0");
    ASSERT_NE(first, calls.end());
    EXPECT_EQ(first[1].rfind("ShowStatus OutFile(1/3)", 0), 0u);
    EXPECT_EQ(first[2].rfind("ShowStatus OutFile(2/3)", 0), 0u);
    EXPECT_EQ(first[3].rfind("UpdateProgress", 0), 0u);
    EXPECT_EQ(first[4].rfind("ShowStatus OutFile(3/3)", 0), 0u);
    EXPECT_EQ(test::ReadBytes(dir.Path() / "out" / "c"), test::RandomBytes(600, 3));
}

// Blocks of small files are expanded ahead around an area of a megabyte
// while earlier ones are written: files, progress and order must be those
// of a run that expands each block just before use (as testing does).
TEST_F(ExtractJobTest, BlocksExpandedAheadComeOutAsStoredAndInOrder) {
    std::vector<ArchiveEntry> entries;
    for (int i = 0; i < 700; ++i) {
        const size_t size = i % 7 == 0 ? 0 : static_cast<size_t>(i * 2654435761u % 4000);
        std::string name = "f";
        name += std::to_string(i);
        entries.push_back({name, 0, test::RandomBytes(size, static_cast<uint32_t>(i))});
    }
    test::WriteArchive(dir.Path() / "a.qx1", entries);
    const auto shape = [&] {
        std::vector<std::string> kinds;
        for (const std::string& call : dialog.calls) {
            kinds.push_back(call.rfind("UpdateProgress", 0) == 0 ? call : call.substr(0, call.find(' ')));
        }
        return kinds;
    };
    ASSERT_EQ(RunFile(true), RunEnd::Finished);
    const auto tested = shape();
    ASSERT_EQ(RunFile(), RunEnd::Finished);
    EXPECT_EQ(shape(), tested);
    for (const ArchiveEntry& entry : entries) {
        ASSERT_EQ(test::ReadBytes(dir.Path() / "out" / entry.name), entry.data) << entry.name;
    }
    std::filesystem::remove_all(dir.Path() / "out");
    std::filesystem::create_directories(dir.Path() / "out");
    dialog.updates = 0;
    dialog.cancelAt = 40;
    EXPECT_EQ(RunFile(), RunEnd::Cancelled);
    const auto cancelled = shape();
    ASSERT_LE(cancelled.size(), tested.size());
    EXPECT_TRUE(std::equal(cancelled.begin(), cancelled.end(), tested.begin()));
    size_t written = 0;
    for (const ArchiveEntry& entry : entries) written += std::filesystem::exists(dir.Path() / "out" / entry.name);
    EXPECT_EQ(written, static_cast<size_t>(std::count(cancelled.begin(), cancelled.end(), "ShowStatus")) - 2);
}

TEST_F(ExtractJobTest, CompareReportsTheFirstDifferenceOfEachKind) {
    std::vector<uint8_t> ten = test::Bytes("0123456789");
    const std::vector<ArchiveEntry> entries = {
        {"same", 1000, ten}, {"content", 1000, ten}, {"size", 1000, ten}, {"date", 1000, ten}, {"missing", 1000, ten}};
    test::WriteArchive(dir.Path() / "a.qx1", entries);
    auto changed = ten;
    changed[9] = 'X';
    test::WriteBytes(dir.Path() / "out" / "same", ten);
    test::WriteBytes(dir.Path() / "out" / "content", changed);
    test::WriteBytes(dir.Path() / "out" / "size", test::Bytes("short"));
    test::WriteBytes(dir.Path() / "out" / "date", ten);
    platform::SetFileTime(out + "same", 1001);  // differs only in the lowest bit: equal
    platform::SetFileTime(out + "content", 1000);
    platform::SetFileTime(out + "size", 1000);
    platform::SetFileTime(out + "date", 1002);
    dialog.answers = {Answer::No, Answer::Yes};  // no overwrite, yes compare, then yes to every difference
    ASSERT_EQ(RunFile(), RunEnd::Finished);
    const auto calls = Calls();
    auto asked = [&](const std::string& text) { return std::find(calls.begin(), calls.end(), "AskQuestion " + text) != calls.end(); };
    EXPECT_TRUE(asked(Compose(Msg::CompareContent, {out + "content", "9", "[0x39] [0x58]"})));
    EXPECT_TRUE(asked(Compose(Msg::CompareSize, {out + "size", "5", "10"})));
    EXPECT_TRUE(asked(Compose(Msg::CompareDate, {out + "date", "Thu Jan  1 00:16:42 1970\n", "Thu Jan  1 00:16:40 1970\n"})));
    EXPECT_TRUE(asked(Compose(Msg::CompareMissing, {out + "missing"})));
    EXPECT_EQ(std::count_if(calls.begin(), calls.end(), [](const std::string& c) { return c.rfind("AskQuestion", 0) == 0; }), 6);
    EXPECT_EQ(calls.back(), Report(Msg::ReportCompareMismatch));
    EXPECT_EQ(calls[5], Line(Msg::CompDirLine, {out, "5", "50"}));
}

TEST_F(ExtractJobTest, DataErrorInTheThirdBlockKeepsTheFirstTwo) {
    test::WriteArchive(dir.Path() / "a.qx1", {{"1", 0, test::RandomBytes(4000, 1)},
                                              {"2", 0, test::RandomBytes(4000, 2)},
                                              {"3", 0, test::RandomBytes(4000, 3)}});
    const auto size = std::filesystem::file_size(dir.Path() / "a.qx1");
    std::filesystem::resize_file(dir.Path() / "a.qx1", size - 2000);
    ExtractJob job(&dialog, out);
    EXPECT_EQ(job.Run(dir.Internal() + "a.qx1", false), RunEnd::Stopped);
    EXPECT_TRUE(job.Failed());
    EXPECT_EQ(dialog.calls.back(), "ShowMessage " + Text(Msg::NoSuchDataExtract));
    EXPECT_EQ(test::ReadBytes(dir.Path() / "out" / "1"), test::RandomBytes(4000, 1));
    EXPECT_EQ(test::ReadBytes(dir.Path() / "out" / "2"), test::RandomBytes(4000, 2));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "out" / "3"));
}

TEST_F(ExtractJobTest, CancelEndsTheRunWithoutReport) {
    dialog.cancelAt = 0;
    test::WriteArchive(dir.Path() / "a.qx1", {{"a", 0, test::Bytes("abc")}});
    ExtractJob job(&dialog, out);
    EXPECT_EQ(job.Run(dir.Internal() + "a.qx1", false), RunEnd::Cancelled);
    EXPECT_EQ(dialog.calls.back(), "UpdateProgress 0");
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "out" / "a"));
}

TEST_F(ExtractJobTest, OutputFailures) {
    // A plain file where a folder should be: no folder is made and the file
    // cannot be created.
    test::WriteBytes(dir.Path() / "out" / "f", test::Bytes("plain"));
    ASSERT_EQ(Run({{"f/x", 0, test::Bytes("abc")}}), RunEnd::Stopped);
    EXPECT_EQ(dialog.calls.back(), "ShowMessage " + Compose(Msg::CannotCreateFile, {out + "f/x"}));
    // Deeper, the folder below the plain file is the one that cannot be made.
    ASSERT_EQ(Run({{"f/b/x", 0, test::Bytes("abc")}}), RunEnd::Stopped);
    EXPECT_EQ(dialog.calls.back(), "ShowMessage " + Compose(Msg::CannotMakeFolder, {out + "f/b"}));
    // The output folder does not exist: the first subfolder cannot be made.
    out = dir.Internal() + "none/";
    ASSERT_EQ(Run({{"s/x", 0, test::Bytes("abc")}}), RunEnd::Stopped);
    EXPECT_EQ(dialog.calls.back(), "ShowMessage " + Compose(Msg::CannotMakeFolder, {out + "s"}));
    ASSERT_EQ(Run({{"x", 0, test::Bytes("abc")}}), RunEnd::Stopped);
    EXPECT_EQ(dialog.calls.back(), "ShowMessage " + Compose(Msg::CannotCreateFile, {out + "x"}));
}

}  // namespace
