// SPDX-License-Identifier: MIT
// The library through its C API, on archives built by the tests.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>

#include "TestSupport.h"
#include "qx1.h"

namespace {

struct Archive {
    std::vector<uint8_t> bytes;
    qx1_archive* handle = nullptr;
    int result = QX1_OK;

    explicit Archive(std::vector<uint8_t> archive, const char* password = nullptr) : bytes(std::move(archive)) {
        result = qx1_open_memory(bytes.data(), bytes.size(), password, &handle);
    }
    ~Archive() { qx1_close(handle); }
    const qx1_entry& Entry(size_t i) const { return *qx1_entry_at(handle, i); }
    int Read(size_t i, std::vector<uint8_t>& data) { return test::ReadEntry(handle, i, data); }
};

std::vector<uint8_t> Build(const std::vector<ArchiveEntry>& entries, const std::string& password = "") {
    ArchiveOptions options;
    options.largeTables = true;
    options.insertEveryPosition = true;
    options.password = password;
    options.level = 2;
    return BuildArchive(entries, options);
}

// Four blocks: each file is as large as the largest, so none shares a block.
std::vector<ArchiveEntry> FourBlocks() {
    std::vector<ArchiveEntry> entries;
    for (uint32_t i = 0; i < 4; ++i) {
        const std::string name = {'f', static_cast<char>('0' + i)};
        entries.push_back({name, static_cast<int32_t>(900000000 + i), test::RandomBytes(3000, i, 16)});
    }
    return entries;
}

TEST(Qx1Api, EntriesCarryEveryFieldAndTheirBytes) {
    const std::vector<ArchiveEntry> entries = {
        {"readme.txt", 899208000, test::Bytes("hello hello\n")},
        {test::Sjis("表計算\\ソフト.txt"), 900000000, test::RandomBytes(5000, 1, 50)},
        {"empty", -86400, {}},
    };
    Archive archive(Build(entries));
    ASSERT_EQ(archive.result, QX1_OK);
    ASSERT_EQ(qx1_entry_count(archive.handle), 3u);
    EXPECT_EQ(qx1_entry_at(archive.handle, 3), nullptr);
    EXPECT_EQ(qx1_total_size(archive.handle), 5012u);
    const char* names[] = {"readme.txt", "表計算/ソフト.txt", "empty"};
    const uint32_t blocks[] = {0, 1, 1};  // 12 + 5000 exceed the largest, 5000 + 0 do not
    for (size_t i = 0; i < 3; ++i) {
        const qx1_entry& e = archive.Entry(i);
        EXPECT_STREQ(e.name, names[i]);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(e.stored_name), e.stored_name_size), entries[i].name);
        EXPECT_EQ(e.size, entries[i].data.size());
        EXPECT_EQ(e.mtime, entries[i].time);
        EXPECT_EQ(e.block, blocks[i]) << i;
        EXPECT_EQ(e.flags, 0u);
        std::vector<uint8_t> data;
        EXPECT_EQ(archive.Read(i, data), QX1_OK);
        EXPECT_EQ(data, entries[i].data);
    }
    EXPECT_EQ(qx1_read_entry(archive.handle, 3, [](void*, const void*, size_t) { return 0; }, nullptr), QX1_E_NO_ENTRY);
    EXPECT_EQ(qx1_test(archive.handle), QX1_OK);
}

TEST(Qx1Api, NamesAreEscapedWhereTheyCannotBeShown) {
    const std::vector<std::pair<std::string, const char*>> cases = {
        {"evil\x1b]0;x\x07.txt", "evil%1B]0;x%07.txt"},
        {"line\nfeed", "line%0Afeed"},
        {"bad\x80name%", "bad%80name%25"},
        {"lead\x85\x40", "lead%85@"},
        {"\x80\x5C", "%80%5C"},
        {"50%.txt", "50%.txt"},
        {test::Sjis("ソ\\表"), "ソ/表"},
    };
    std::vector<ArchiveEntry> entries;
    for (const auto& c : cases) entries.push_back({c.first, 0, test::Bytes(c.first)});
    Archive archive(Build(entries));
    ASSERT_EQ(archive.result, QX1_OK);
    for (size_t i = 0; i < cases.size(); ++i) {
        const bool escaped = cases[i].first != "50%.txt" && i + 1 < cases.size();
        EXPECT_STREQ(archive.Entry(i).name, cases[i].second);
        EXPECT_EQ((archive.Entry(i).flags & QX1_ENTRY_ESCAPED) != 0, escaped) << cases[i].second;
        std::vector<uint8_t> data;
        EXPECT_EQ(archive.Read(i, data), QX1_OK);
        EXPECT_EQ(data, test::Bytes(cases[i].first));
    }
}

TEST(Qx1Api, PasswordsAreCheckedAndUsed) {
    const std::vector<ArchiveEntry> entries = {{"secret.txt", 0, test::Bytes("the secret, the secret")}};
    const std::vector<uint8_t> bytes = Build(entries, test::Sjis("パス"));
    EXPECT_EQ(Archive(bytes).result, QX1_E_PASSWORD_NEEDED);
    EXPECT_EQ(Archive(bytes, "").result, QX1_E_PASSWORD_NEEDED);
    EXPECT_EQ(Archive(bytes, "pass").result, QX1_E_WRONG_PASSWORD);
    Archive archive(bytes, "パス");
    ASSERT_EQ(archive.result, QX1_OK);
    std::vector<uint8_t> data;
    EXPECT_EQ(archive.Read(0, data), QX1_OK);
    EXPECT_EQ(data, entries[0].data);
    // A password given for an archive without one is not needed and ignored.
    EXPECT_EQ(Archive(Build(entries), "unused").result, QX1_OK);
}

TEST(Qx1Api, DamageIsReportedAndEarlierBlocksStayReadable) {
    std::vector<uint8_t> bytes = Build(FourBlocks());
    for (size_t i = bytes.size() - 40; i < bytes.size(); ++i) bytes[i] ^= 0x5A;
    Archive archive(bytes);
    ASSERT_EQ(archive.result, QX1_OK);
    std::vector<uint8_t> data;
    EXPECT_EQ(archive.Read(3, data), QX1_E_DAMAGED);
    EXPECT_EQ(archive.Read(0, data), QX1_OK);
    EXPECT_EQ(data, FourBlocks()[0].data);
    EXPECT_EQ(qx1_test(archive.handle), QX1_E_DAMAGED);

    const std::vector<uint8_t> whole = Build(FourBlocks());
    for (const size_t cut : {size_t{0}, size_t{19}, size_t{40}}) {
        qx1_archive* handle = nullptr;
        const int result = qx1_open_memory(whole.data(), cut, nullptr, &handle);
        EXPECT_TRUE(result == QX1_E_NOT_ARCHIVE || result == QX1_E_DAMAGED) << cut;
        EXPECT_EQ(handle, nullptr);
    }
    Archive cut(std::vector<uint8_t>(whole.begin(), whole.end() - 1000));
    ASSERT_EQ(cut.result, QX1_OK);
    EXPECT_EQ(qx1_test(cut.handle), QX1_E_DAMAGED);
    qx1_archive* none = nullptr;
    EXPECT_EQ(qx1_open_file("/nonexistent/a.qx1", nullptr, &none), QX1_E_OPEN);
    EXPECT_EQ(qx1_open_file("/", nullptr, &none), QX1_E_OPEN);
}

TEST(Qx1Api, ReverseOrderDecodesEachBlockAtMostTwice) {
    Archive archive(Build(FourBlocks()));
    ASSERT_EQ(archive.result, QX1_OK);
    // Every decode of a block reports its start once.
    std::map<uint64_t, int> starts;
    qx1_set_progress(
        archive.handle,
        [](void* user, uint64_t done, uint64_t) {
            if (done % 3000 == 0) ++(*static_cast<std::map<uint64_t, int>*>(user))[done];
            return 0;
        },
        &starts);
    std::vector<uint8_t> data;
    for (size_t i = 4; i-- > 0;) {
        ASSERT_EQ(archive.Read(i, data), QX1_OK);
        EXPECT_EQ(data, FourBlocks()[i].data);
    }
    // Block k's start is also the end of block k-1: at most two decodes each.
    for (uint64_t k = 0; k < 4; ++k) EXPECT_LE(starts[k * 3000], 4) << k;
    EXPECT_EQ(starts[0], 2);
}

// A caller's byte source reads as memory does; a source that fails at any
// read, at opening or later, gives QX1_E_OPEN and nothing else happens.
TEST(Qx1Api, ByteSourceReadsAsMemoryAndItsFailureIsAnOpenError) {
    struct Source {
        std::vector<uint8_t> bytes;
        int readsLeft = 1 << 30;  // the read that fails
        static int64_t ReadAt(void* user, uint64_t offset, void* buffer, size_t size) {
            auto* self = static_cast<Source*>(user);
            if (self->readsLeft-- <= 0) return -1;
            const size_t n = offset < self->bytes.size() ? std::min(size, self->bytes.size() - static_cast<size_t>(offset)) : 0;
            std::memcpy(buffer, self->bytes.data() + offset, n);
            return static_cast<int64_t>(n);
        }
    };
    // A self-extracting file: the header is found through the trailer.
    Source good{AppendToProgram(std::vector<uint8_t>(777, 'P'), Build(FourBlocks()))};
    qx1_source source{Source::ReadAt, &good, good.bytes.size()};
    qx1_archive* archive = nullptr;
    ASSERT_EQ(qx1_open_source(&source, nullptr, &archive), QX1_OK);
    std::vector<uint8_t> data;
    for (size_t i = 4; i-- > 0;) {
        ASSERT_EQ(test::ReadEntry(archive, i, data), QX1_OK);
        EXPECT_EQ(data, FourBlocks()[i].data);
    }
    qx1_close(archive);
    int failures = 0;
    for (int failAt = 0; failAt < 12; ++failAt) {
        Source failing{good.bytes, failAt};
        qx1_source broken{Source::ReadAt, &failing, failing.bytes.size()};
        archive = nullptr;
        const int opened = qx1_open_source(&broken, nullptr, &archive);
        const int tested = opened == QX1_OK ? qx1_test(archive) : opened;
        EXPECT_TRUE(tested == QX1_OK || tested == QX1_E_OPEN) << failAt << " " << tested;
        failures += tested == QX1_E_OPEN;
        qx1_close(archive);
    }
    EXPECT_GT(failures, 5);
    EXPECT_EQ(qx1_open_source(nullptr, nullptr, &archive), QX1_E_ARGUMENT);
}

TEST(Qx1Api, SinkAndProgressCanStop) {
    Archive archive(Build(FourBlocks()));
    ASSERT_EQ(archive.result, QX1_OK);
    EXPECT_EQ(qx1_read_entry(archive.handle, 1, [](void*, const void*, size_t) { return 1; }, nullptr), QX1_E_STOPPED);
    qx1_set_progress(archive.handle, [](void*, uint64_t done, uint64_t) { return done > 5000 ? 1 : 0; }, nullptr);
    EXPECT_EQ(qx1_test(archive.handle), QX1_E_STOPPED);
    qx1_set_progress(archive.handle, nullptr, nullptr);
    std::vector<uint8_t> data;
    EXPECT_EQ(archive.Read(3, data), QX1_OK);
    EXPECT_EQ(data, FourBlocks()[3].data);
}

TEST(Qx1Api, ExtractionStaysInsideTheFolderAndKeepsWhatExists) {
    test::TempDir dir;
    const std::vector<ArchiveEntry> entries = {
        {"a\\x.txt", 900000000, test::Bytes("new bytes")},
        {"..\\up.txt", 0, test::Bytes("up")},
        {"link\\y.txt", 0, test::Bytes("y")},
        {"here", 0, test::Bytes("z")},
    };
    Archive archive(Build(entries));
    ASSERT_EQ(archive.result, QX1_OK);
    EXPECT_NE(archive.Entry(1).flags & QX1_ENTRY_UNSAFE, 0u);
    const std::string out = (dir.Path() / "out").string();
    EXPECT_EQ(qx1_extract_entry(archive.handle, 0, out.c_str(), nullptr, 0), QX1_OK);
    struct stat st {};
    ASSERT_EQ(stat((dir.Path() / "out/a/x.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, 900000000);
    EXPECT_EQ(test::ReadBytes(dir.Path() / "out/a/x.txt"), entries[0].data);

    test::WriteBytes(dir.Path() / "out/a/x.txt", test::Bytes("old"));
    EXPECT_EQ(qx1_extract_entry(archive.handle, 0, out.c_str(), nullptr, 0), QX1_SKIPPED_EXISTING);
    EXPECT_EQ(test::ReadBytes(dir.Path() / "out/a/x.txt"), test::Bytes("old"));
    EXPECT_EQ(qx1_extract_entry(archive.handle, 0, out.c_str(), nullptr, QX1_REPLACE), QX1_OK);
    EXPECT_EQ(qx1_extract_entry(archive.handle, 0, out.c_str(), nullptr, QX1_REPLACE | QX1_SKIP_IDENTICAL),
              QX1_SKIPPED_IDENTICAL);
    chmod((dir.Path() / "out/a/x.txt").c_str(), 0444);
    EXPECT_EQ(qx1_extract_entry(archive.handle, 0, out.c_str(), "a/x.txt", QX1_REPLACE), QX1_E_READ_ONLY);

    EXPECT_EQ(qx1_extract_entry(archive.handle, 1, out.c_str(), nullptr, 0), QX1_E_UNSAFE_NAME);
    for (const char* path : {"../up.txt", "/abs", "c:x", "a/../../b", "", "a//", "a/"}) {
        EXPECT_EQ(qx1_extract_entry(archive.handle, 3, out.c_str(), path, 0), QX1_E_UNSAFE_NAME) << path;
    }
    // Links below the folder are never followed: a folder link, a file link.
    std::filesystem::create_directories(dir.Path() / "elsewhere");
    std::filesystem::create_directory_symlink(dir.Path() / "elsewhere", dir.Path() / "out/link");
    std::filesystem::create_symlink(dir.Path() / "elsewhere/target", dir.Path() / "out/here");
    EXPECT_EQ(qx1_extract_entry(archive.handle, 2, out.c_str(), nullptr, QX1_REPLACE), QX1_E_IN_THE_WAY);
    EXPECT_EQ(qx1_extract_entry(archive.handle, 3, out.c_str(), nullptr, QX1_REPLACE), QX1_E_IN_THE_WAY);
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path() / "elsewhere"));
    EXPECT_EQ(qx1_extract_entry(archive.handle, 3, out.c_str(), "a/renamed", 0), QX1_OK);
    // Found by fuzzing: code page 932 would pair 0xF5 0x98 and take the "/"
    // as a separator where the lead-byte rule pairs 0xE6 0x2F; the name is
    // split, escaped and written the rule's way, inside the folder.
    Archive hidden(Build({{"\xF5\x98\xE6\xE6/../x", 0, test::Bytes("h")}}));
    ASSERT_EQ(hidden.result, QX1_OK);
    EXPECT_STREQ(hidden.Entry(0).name, "%F5俶%E6%2F../x");
    EXPECT_EQ(qx1_extract_entry(hidden.handle, 0, out.c_str(), nullptr, 0), QX1_OK);
    EXPECT_EQ(test::ReadBytes(dir.Path() / "out/%F5俶%E6%2F../x"), test::Bytes("h"));
    EXPECT_EQ(test::ReadBytes(dir.Path() / "out/a/renamed"), test::Bytes("z"));
    // No temporary file is left behind.
    for (const auto& item : std::filesystem::recursive_directory_iterator(dir.Path() / "out")) {
        EXPECT_EQ(item.path().filename().string().rfind(".qx-", 0), std::string::npos) << item.path();
    }
}

TEST(Qx1Api, ErrorsHaveTextsAndNullsAreRefused) {
    for (int code = QX1_SKIPPED_IDENTICAL; code >= QX1_E_INTERNAL; --code) {
        EXPECT_STRNE(qx1_strerror(code), "unknown error") << code;
    }
    EXPECT_STREQ(qx1_version(), QX1_VERSION);
    qx1_archive* handle = nullptr;
    EXPECT_EQ(qx1_open_file(nullptr, nullptr, &handle), QX1_E_ARGUMENT);
    EXPECT_EQ(qx1_open_memory(nullptr, 5, nullptr, &handle), QX1_E_ARGUMENT);
    EXPECT_EQ(qx1_test(nullptr), QX1_E_ARGUMENT);
    qx1_close(nullptr);
}

}  // namespace
