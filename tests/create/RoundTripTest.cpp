// Archives made by the writer expand to exactly their input, for every
// option and shape of content.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "extract/ExtractJob.h"
#include "platform/Files.h"

namespace {

using test::Bytes;
using test::RandomBytes;

std::vector<uint8_t> Text(size_t size, uint32_t seed) {
    static const char* words[] = {"the ", "archive ", "table ", "slot ", "of ", "context ", "byte ", "\n", "code "};
    std::vector<uint8_t> bytes;
    auto noise = RandomBytes(size, seed, 9);
    for (size_t i = 0; bytes.size() < size; ++i) {
        const std::string word = words[noise[i % noise.size()]];
        bytes.insert(bytes.end(), word.begin(), word.end());
    }
    bytes.resize(size);
    return bytes;
}

std::vector<ArchiveEntry> Contents() {
    std::vector<ArchiveEntry> entries;
    entries.push_back({"random.bin", 1000000000, RandomBytes(30000, 1)});
    entries.push_back({"empty.txt", 1000000002, {}});
    entries.push_back({"dir\\text.txt", 1000000004, Text(50000, 2)});
    entries.push_back({"dir\\sub\\small-alphabet.bin", 1000000006, RandomBytes(40000, 3, 3)});
    std::vector<uint8_t> runs(70000, 'a');
    runs.insert(runs.end(), 300, 'b');
    entries.push_back({"runs.bin", 1000000008, runs});
    entries.push_back({"one.bin", 1000000010, {0x00}});
    std::vector<uint8_t> all;
    for (int i = 0; i < 256; ++i) all.push_back(static_cast<uint8_t>(i));
    entries.push_back({"all-bytes.bin", 1000000012, all});
    return entries;
}

struct Options {
    bool large;
    bool every;
    const char* password;
    int level;
};

class RoundTrip : public ::testing::TestWithParam<Options> {};

TEST_P(RoundTrip, ExpandsToExactlyTheInput) {
    const Options o = GetParam();
    test::TempDir dir;
    const auto entries = Contents();
    test::WriteArchive(dir.Path() / "a.qx1", entries, ArchiveOptions{o.large, o.every, o.password, o.level});
    test::RecordingDialog dialog;
    dialog.password = o.password;
    ExtractJob job(&dialog, dir.Internal() + "out/");
    std::filesystem::create_directories(dir.Path() / "out");
    ASSERT_EQ(job.Run(dir.Internal() + "a.qx1", false), 0) << (dialog.calls.empty() ? "" : dialog.calls.back());
    for (const auto& entry : entries) {
        std::string name = entry.name;
        for (char& c : name) {
            if (c == '\\') c = '/';
        }
        const auto path = dir.Path() / "out" / name;
        EXPECT_EQ(test::ReadBytes(path), entry.data) << name;
        platform::FileStatus status;
        ASSERT_TRUE(platform::Stat(dir.Internal() + "out/" + name, status));
        EXPECT_EQ(status.modified, entry.time) << name;
    }
}

INSTANTIATE_TEST_SUITE_P(AllOptions, RoundTrip,
                         ::testing::Values(Options{false, false, "", 1}, Options{true, false, "", 3},
                                           Options{false, true, "", 4}, Options{true, true, "", 5},
                                           Options{false, false, "secret", 6}, Options{true, true, "\x95\x5c\x81", 7},
                                           Options{false, true, "", 8}, Options{true, true, "", 9}),
                         [](const auto& info) {
                             return std::string(info.param.large ? "Large" : "Small") +
                                    (info.param.every ? "Every" : "Once") + (*info.param.password ? "Password" : "") +
                                    "Level" + std::to_string(info.param.level);
                         });

}  // namespace
