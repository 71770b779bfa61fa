// SPDX-License-Identifier: MIT
// Damaged and hostile archives: every one ends in a clear message or in
// expanded bytes, never in a crash, a hang or a file outside the folder.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "archive/ArchiveHeader.h"
#include "codec/CodecTestSupport.h"
#include "qxdec/Messages.h"
#include "qxdec/ExtractJob.h"

namespace {

// An archive with any header values, whose stream carries the given steps.
std::vector<uint8_t> RawArchive(int32_t total, int32_t directorySize, int32_t count, const std::vector<Token>& tokens) {
    ArchiveHeader header;
    header.totalSize = total;
    header.directorySize = directorySize;
    header.entryCount = count;
    std::vector<uint8_t> archive(ArchiveHeader::kSize);
    header.Write(archive.data());
    const auto stream = test::StreamOf(tokens, 256);
    archive.insert(archive.end(), stream.begin(), stream.end());
    return archive;
}

// Literal steps for bytes (N = 256).
std::vector<Token> Literals(const std::vector<uint8_t>& bytes) {
    std::vector<Token> tokens;
    for (uint8_t b : bytes) tokens.push_back(Token{static_cast<uint16_t>(512 + b), 0});
    return tokens;
}

std::vector<uint8_t> Directory(const std::vector<int32_t>& sizes, const std::vector<std::string>& names) {
    std::vector<uint8_t> block(8 * sizes.size());
    for (size_t i = 0; i < sizes.size(); ++i) WriteBigEndian32(&block[4 * i], static_cast<uint32_t>(sizes[i]));
    for (const auto& name : names) {
        block.insert(block.end(), name.begin(), name.end());
        block.push_back(0);
    }
    return block;
}

std::vector<Token> Concat(std::vector<Token> a, const std::vector<Token>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct Hostile {
    const char* attack;
    std::vector<uint8_t> archive;
    std::string message;
};

std::string Unsafe(const char* shown) { return Compose(Msg::UnsafeName, {shown}); }

std::vector<Hostile> HostileArchives() {
    const auto dir1 = Directory({3}, {"x"});
    const auto d = static_cast<int32_t>(dir1.size());
    const auto bad = [](const std::vector<uint8_t>& dir, int32_t count) {
        return RawArchive(static_cast<int32_t>(dir.size()), static_cast<int32_t>(dir.size()), count, Literals(dir));
    };
    return {
        {"negative directory size", RawArchive(10, -5, 0, {}), Text(Msg::DirectoryDamaged)},
        {"entry count far beyond the directory block", RawArchive(d, d, 0x7FFFFFFF, Literals(dir1)), Text(Msg::DirectoryDamaged)},
        {"negative entry count", RawArchive(d, d, -1, Literals(dir1)), Text(Msg::DirectoryDamaged)},
        {"name that runs off the block", bad({0, 0, 0, 1, 0, 0, 0, 0, 'a', 'b'}, 1), Text(Msg::DirectoryDamaged)},
        {"negative entry size", bad(Directory({-7}, {"x"}), 1), Text(Msg::DirectoryDamaged)},
        {"parent component", bad(Directory({0}, {"..\\evil"}), 1), Unsafe("../evil")},
        {"absolute name", bad(Directory({0}, {"/tmp/evil"}), 1), Unsafe("/tmp/evil")},
        {"drive prefix", bad(Directory({0}, {"C:evil"}), 1), Compose(Msg::NameDrive, {"C:evil"})},
        {"empty name", bad(Directory({0}, {""}), 1), Text(Msg::NameEmpty)},
        {"component longer than the host allows", bad(Directory({0}, {std::string(300, 'n')}), 1),
         Compose(Msg::NameTooLong, {std::string(300, 'n')})},
        {"huge directory, short stream", RawArchive(0x10000010, 0x10000000, 1, Literals({1, 2, 3})), Text(Msg::NoSuchDataExtract)},
        {"first step is a match", RawArchive(d, d, 1, {{0, 0}}), Text(Msg::NoSuchDataExtract)},
        {"decoded length of 2^32 - 1", RawArchive(d, d, 1, {{512 + 'a', 0}, {512 + 'a', 0}, {255, 0xFFFFFFFFu}}),
         Text(Msg::BeyondAreaExtract)},
        {"description of zeros", [] {
             std::vector<uint8_t> a(20);
             ArchiveHeader h;
             h.totalSize = h.directorySize = 10;
             h.Write(a.data());
             a.resize(2000, 0);
             return a;
         }(), Text(Msg::NoSuchDataExtract)},
        {"entry data past the end of the stream",
         RawArchive(d + 100, d, 1, Literals(Directory({100}, {"x"}))), Text(Msg::NoSuchDataCheck)},
    };
}

TEST(HostileArchive, EachEndsWithItsMessageAndWritesNothing) {
    for (const Hostile& h : HostileArchives()) {
        test::TempDir dir;
        test::WriteBytes(dir.Path() / "h.qx1", h.archive);
        test::RecordingDialog dialog;
        ExtractJob job(&dialog, dir.Internal() + "out/");
        EXPECT_EQ(job.Run(dir.Internal() + "h.qx1", true), ExtractJob::RunEnd::Stopped) << h.attack;
        EXPECT_TRUE(job.Failed()) << h.attack;
        EXPECT_EQ(dialog.calls.back(), "ShowMessage " + h.message) << h.attack;
        EXPECT_FALSE(std::filesystem::exists(dir.Path() / "out")) << h.attack;
    }
}

TEST(HostileArchive, TotalSizeOfZeroStillExtractsWithProgressInRange) {
    const auto dir1 = Directory({3}, {"x"});
    auto archive = RawArchive(0, static_cast<int32_t>(dir1.size()), 1, Concat(Literals(dir1), Literals({'a', 'b', 'c'})));
    test::TempDir dir;
    test::WriteBytes(dir.Path() / "z.qx1", archive);
    test::RecordingDialog dialog;
    ExtractJob job(&dialog, dir.Internal());
    EXPECT_EQ(job.Run(dir.Internal() + "z.qx1", false), ExtractJob::RunEnd::Finished);
    EXPECT_EQ(test::ReadBytes(dir.Path() / "x"), test::Bytes("abc"));
    for (const auto& call : dialog.calls) {
        if (call.rfind("UpdateProgress ", 0) == 0) {
            const int percent = std::stoi(call.substr(15));
            EXPECT_GE(percent, 0);
            EXPECT_LE(percent, 100);
        }
    }
}

// Runs a damaged copy in test mode: it must end, and an error must come
// with a message.
void ExpectCleanEnd(const std::filesystem::path& file, const std::string& path, const std::vector<uint8_t>& bytes,
                    const std::string& what) {
    test::WriteBytes(file, bytes);
    test::RecordingDialog dialog;
    dialog.password = "pw";
    ExtractJob job(&dialog, std::nullopt);
    const ExtractJob::RunEnd result = job.Run(path, true);
    ASSERT_NE(result, ExtractJob::RunEnd::Cancelled) << what;
    if (result == ExtractJob::RunEnd::Stopped) {
        ASSERT_TRUE(job.Failed()) << what;
        ASSERT_EQ(dialog.calls.back().rfind("Show", 0), 0u) << what;
    }
}

class DamagedArchive : public ::testing::Test {
protected:
    test::TempDir dir;
    std::vector<uint8_t> archive = BuildArchive(
        {{"a.txt", 0, test::Bytes("an archive of a few files, a few files of some text.")},
         {"b.bin", 0, test::RandomBytes(700, 9, 5)},
         {"c", 0, {}}},
        {false, true, "pw"});
};

TEST_F(DamagedArchive, EveryTruncationEndsCleanly) {
    for (size_t size = 0; size < archive.size(); ++size) {
        ExpectCleanEnd(dir.Path() / "t.qx1", dir.Internal() + "t.qx1",
                       std::vector<uint8_t>(archive.begin(), archive.begin() + static_cast<std::ptrdiff_t>(size)),
                       "truncated at " + std::to_string(size));
    }
}

TEST_F(DamagedArchive, EverySingleBitFlipEndsCleanly) {
    const size_t limit = std::min<size_t>(archive.size(), 2048);
    for (size_t bit = 0; bit < limit * 8; ++bit) {
        auto copy = archive;
        copy[bit / 8] ^= static_cast<uint8_t>(1u << (bit % 8));
        ExpectCleanEnd(dir.Path() / "f.qx1", dir.Internal() + "f.qx1", copy, "bit " + std::to_string(bit));
    }
}

}  // namespace
