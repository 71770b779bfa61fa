// The benchmark corpus (beside the repository, when it is there) goes
// through the writer and the decoder unchanged.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "extract/ExtractJob.h"

namespace {

const std::filesystem::path kCorpus = std::filesystem::path(QX_SOURCE_DIR) / ".." / "shared" / "corpus";

std::vector<ArchiveEntry> CorpusEntries(const std::string& group) {
    std::vector<ArchiveEntry> entries;
    for (const auto& file : std::filesystem::recursive_directory_iterator(kCorpus / group)) {
        if (!file.is_regular_file()) continue;
        const auto relative = std::filesystem::relative(file.path(), kCorpus).string();
        std::string name;
        for (char c : relative) name += c == '/' ? '\\' : c;
        entries.push_back({name, 0, test::ReadBytes(file.path())});
    }
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    return entries;
}

void ExpectRoundTrip(const std::vector<ArchiveEntry>& entries, const ArchiveOptions& options) {
    test::TempDir dir;
    test::WriteArchive(dir.Path() / "c.qx1", entries, options);
    test::RecordingDialog dialog;
    dialog.password = options.password;
    ExtractJob job(&dialog, dir.Internal());
    ASSERT_EQ(job.Run(dir.Internal() + "c.qx1", false), 0) << dialog.calls.back();
    for (const ArchiveEntry& entry : entries) {
        std::string name = entry.name;
        for (char& c : name) c = c == '\\' ? '/' : c;
        EXPECT_TRUE(test::ReadBytes(dir.Path() / name) == entry.data) << name << " level " << options.level;
    }
}

TEST(CorpusRoundTrip, WholeCorpusAtFastAndDefaultLevels) {
    if (!std::filesystem::exists(kCorpus)) GTEST_SKIP() << "no corpus at " << kCorpus;
    std::vector<ArchiveEntry> entries;
    for (const char* group : {"calgary", "canterbury", "japanese"}) {
        auto more = CorpusEntries(group);
        entries.insert(entries.end(), more.begin(), more.end());
    }
    ExpectRoundTrip(entries, {true, true, "", 1});
    ExpectRoundTrip(entries, {false, false, "corpus", 5});
}

TEST(CorpusRoundTrip, JapaneseGroupAtTheBestLevel) {
    if (!std::filesystem::exists(kCorpus)) GTEST_SKIP() << "no corpus at " << kCorpus;
    ExpectRoundTrip(CorpusEntries("japanese"), {true, true, "", 9});
}

}  // namespace
