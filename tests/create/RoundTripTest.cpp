// SPDX-License-Identifier: MIT
// Archives made by the writer expand to exactly their input, for every
// option and shape of content, and for the benchmark corpus (beside the
// repository, when it is there). The encoder's steps are the same on any
// number of threads.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>

#include "TestSupport.h"
#include "codec/Compressor.h"
#include "qx1.h"

namespace {

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

// Builds the archive (options.password is UTF-8 here) and reads every entry
// back through the library.
void ExpectRoundTrip(const std::vector<ArchiveEntry>& entries, ArchiveOptions options) {
    const std::string password = options.password;
    options.password = test::Sjis(password);
    const std::vector<uint8_t> archive = BuildArchive(entries, options);
    qx1_archive* opened = nullptr;
    ASSERT_EQ(qx1_open_memory(archive.data(), archive.size(), password.c_str(), &opened), QX1_OK);
    ASSERT_EQ(qx1_entry_count(opened), entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        std::vector<uint8_t> data;
        EXPECT_EQ(test::ReadEntry(opened, i, data), QX1_OK);
        EXPECT_TRUE(data == entries[i].data) << entries[i].name << " level " << options.level;
        EXPECT_EQ(qx1_entry_at(opened, i)->mtime, entries[i].time) << entries[i].name;
    }
    qx1_close(opened);
}

struct Options {
    bool large;
    bool every;
    const char* password;
    int level;
};

std::string Name(const Options& o) {
    return std::string(o.large ? "Large" : "Small") + (o.every ? "Every" : "Once") + (*o.password ? "Password" : "") +
           "Level" + std::to_string(o.level);
}

void PrintTo(const Options& o, std::ostream* out) { *out << Name(o); }

class RoundTrip : public ::testing::TestWithParam<Options> {};

TEST_P(RoundTrip, ExpandsToExactlyTheInput) {
    const Options o = GetParam();
    ExpectRoundTrip(Contents(), ArchiveOptions{o.large, o.every, o.password, o.level});
}

INSTANTIATE_TEST_SUITE_P(AllOptions, RoundTrip,
                         ::testing::Values(Options{false, false, "", 1}, Options{true, false, "", 3},
                                           Options{false, true, "", 4}, Options{true, true, "", 5},
                                           Options{false, false, "secret", 6}, Options{true, true, "表ソ", 7},
                                           Options{false, true, "", 8}, Options{true, true, "", 9}),
                         [](const auto& info) { return Name(info.param); });

bool SameSteps(const TokenList& a, const TokenList& b) {
    if (a.size() != b.size()) return false;
    auto i = a.begin();
    for (const Token token : b) {
        if (token.symbol != (*i).symbol || token.lengthValue != (*i).lengthValue) return false;
        ++i;
    }
    return true;
}

TEST(Compressor, StepsAreTheSameOnAnyNumberOfWorkers) {
    // Blocks of several sizes, so that the workers take runs of different
    // lengths and end out of order.
    std::vector<std::vector<uint8_t>> contents;
    for (uint32_t seed = 1; seed <= 4; ++seed) contents.push_back(Text(400000, seed));
    for (const ArchiveEntry& entry : Contents()) contents.push_back(entry.data);
    std::vector<BlockData> blocks;
    for (const auto& bytes : contents) blocks.push_back({bytes.data(), static_cast<int32_t>(bytes.size())});
    auto parse = [](const std::vector<BlockData>& some, int level, int workers, TokenList& tokens) {
        std::vector<int> told;
        const CompressorOptions options{512, true, level, [&told](int percent) { told.push_back(percent); }, workers};
        ASSERT_TRUE(CompressBlocks(some, options, tokens));
        EXPECT_TRUE(std::is_sorted(told.begin(), told.end())) << level << " " << workers;  // never back
    };
    // Without further passes a block's steps depend on the block alone:
    // they come in block order.
    TokenList byBlock(512);
    for (const BlockData& block : blocks) {
        TokenList own(512);
        parse({block}, 2, 1, own);
        byBlock.Append(own);
    }
    for (const int level : {2, 6}) {
        TokenList alone(512), together(512);
        parse(blocks, level, 1, alone);
        parse(blocks, level, 3, together);
        EXPECT_TRUE(SameSteps(alone, together)) << level;
        if (level == 2) {
            EXPECT_TRUE(SameSteps(alone, byBlock));
        }
    }
}

const std::filesystem::path kCorpus = std::filesystem::path(QX_SOURCE_DIR) / ".." / "shared" / "corpus";

std::vector<ArchiveEntry> CorpusEntries(std::initializer_list<const char*> groups) {
    std::vector<ArchiveEntry> entries;
    for (const char* group : groups) {
        for (const auto& file : std::filesystem::recursive_directory_iterator(kCorpus / group)) {
            if (!file.is_regular_file()) continue;
            std::string name = std::filesystem::relative(file.path(), kCorpus).string();
            std::replace(name.begin(), name.end(), '/', '\\');
            entries.push_back({name, 0, test::ReadBytes(file.path())});
        }
    }
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    return entries;
}

TEST(CorpusRoundTrip, WholeCorpusAtFastAndDefaultLevelsJapaneseAtTheBest) {
    if (!std::filesystem::exists(kCorpus)) GTEST_SKIP() << "no corpus at " << kCorpus;
    const auto entries = CorpusEntries({"calgary", "canterbury", "japanese"});
    ExpectRoundTrip(entries, {true, true, "", 1});
    ExpectRoundTrip(entries, {false, false, "corpus", 5});
    ExpectRoundTrip(CorpusEntries({"japanese"}), {true, true, "", 9});
}

}  // namespace
