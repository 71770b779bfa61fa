// SPDX-License-Identifier: MIT
// qx run as a user runs it: outputs, files and exit statuses.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sys/stat.h>

#include "TestSupport.h"
#include "e2e/ProgramRunner.h"
#include "platform/Files.h"
#include "platform/Sha256.h"

namespace {

const std::string kQx = QX_QX_PATH;
const std::string kSample = std::string(QX_SOURCE_DIR) + "/examples/sample.qx1";

class QxProgram : public ::testing::Test {
protected:
    test::TempDir dir;

    test::ProgramResult Qx(const std::vector<std::string>& args, const std::string& environment = "") {
        return test::RunProgram(kQx, args, dir.Path(), "", false, environment);
    }
    // An archive of the tests' own, written as name.qx1 in the folder.
    std::string Make(const std::string& name, const std::vector<ArchiveEntry>& entries, const std::string& password = "") {
        ArchiveOptions options;
        options.password = password;
        test::WriteArchive(dir.Path() / name, entries, options);
        return name;
    }
    std::vector<uint8_t> File(const std::string& path) { return test::ReadBytes(dir.Path() / path); }
    bool Exists(const std::string& path) { return std::filesystem::exists(dir.Path() / path); }
};

TEST_F(QxProgram, ListsAsTextAndAsJson) {
    const test::ProgramResult text = Qx({"list", kSample});
    EXPECT_EQ(text.status, 0);
    EXPECT_EQ(text.output,
              "         211  1998-06-30T12:00:00Z  readme.txt\n"
              "          98  1998-06-30T12:00:00Z  docs/notes.txt\n"
              "        1460  1998-06-30T12:00:00Z  表計算/ソフト一覧.txt\n"
              "        1769  3 files\n");

    Make("odd.qx1", {{"a\x80z", 0, test::Bytes("x")}});
    // DEL is a control character: escaped in listings and in file names.
    Make("del.qx1", {{"a\x7F" "b", 0, test::Bytes("d")}});
    EXPECT_EQ(Qx({"list", "del.qx1"}).output, "           1  1970-01-01T00:00:00Z  a%7Fb\n           1  1 file\n");
    EXPECT_EQ(Qx({"x", "del.qx1", "-o", "del", "-q"}).status, 0);
    EXPECT_EQ(File("del/a%7Fb"), test::Bytes("d"));
    const test::ProgramResult longForm = Qx({"l", "odd.qx1", "--long"});
    EXPECT_EQ(longForm.output,
              "           1  1970-01-01T00:00:00Z  0  a%80z  (stored as 61807A)\n"
              "           1  1 file\n");

    const test::ProgramResult json = Qx({"list", "--json", "--sha256", kSample, "missing.qx1"});
    EXPECT_EQ(json.status, 2);
    const size_t split = json.output.find('\n');
    const auto first = nlohmann::json::parse(json.output.substr(0, split));
    const auto second = nlohmann::json::parse(json.output.substr(split + 1));
    EXPECT_EQ(first["files"], 3);
    const auto& entry = first["entries"][0];
    EXPECT_EQ(entry["name"], "readme.txt");
    EXPECT_EQ(entry["stored_name_hex"], "726561646D652E747874");
    EXPECT_EQ(entry["size"], 211);
    EXPECT_EQ(entry["mtime"], "1998-06-30T12:00:00Z");
    EXPECT_EQ(entry["mtime_epoch"], 899208000);
    EXPECT_EQ(first["entries"][2]["block"], 1);
    const std::vector<uint8_t> readme = test::ReadBytes(std::string(QX_SOURCE_DIR) + "/examples/sample/readme.txt");
    platform::Sha256 hash;
    hash.Update(readme.data(), readme.size());
    EXPECT_EQ(entry["sha256"], hash.HexDigest());
    // Every documented key, and no other, in the documented order.
    const auto ordered = nlohmann::ordered_json::parse(json.output.substr(0, split));
    std::vector<std::string> keys;
    for (const auto& item : ordered.items()) keys.push_back(item.key());
    EXPECT_EQ(keys, (std::vector<std::string>{"format_version", "archive", "files", "size", "entries"}));
    keys.clear();
    for (const auto& item : ordered["entries"][0].items()) keys.push_back(item.key());
    EXPECT_EQ(keys, (std::vector<std::string>{"name", "stored_name_hex", "size", "mtime", "mtime_epoch", "block",
                                              "unsafe", "sha256"}));
    EXPECT_EQ(second["archive"], "missing.qx1");
    EXPECT_EQ(second["error"], "cannot open or read the file (No such file or directory)");
    EXPECT_EQ(second["error_code"], "cannot_open");
    EXPECT_NE(json.errors.find("qx: missing.qx1: cannot open or read the file"), std::string::npos);
}

TEST_F(QxProgram, ExtractsBySelectionIntoTheFolder) {
    struct Case {
        std::vector<std::string> args;
        std::vector<std::string> written;
    };
    const std::vector<Case> cases = {
        {{"x", kSample, "-o", "out"}, {"out/readme.txt", "out/docs/notes.txt", "out/表計算/ソフト一覧.txt"}},
        {{"extract", "-o", "out", kSample, "*.txt"}, {"out/readme.txt"}},
        {{"extract", kSample, "**/*.txt", "--output=out"}, {"out/docs/notes.txt", "out/表計算/ソフト一覧.txt"}},
        {{"x", kSample, "docs", "-oout"}, {"out/docs/notes.txt"}},
        // Only folder names count: empty and "." parts are passed over.
        {{"x", "strip.qx1", "--strip-components=1", "-o", "out", "-q"}, {"out/b.txt", "out/c.txt", "out/d/e.txt"}},
        {{"x", "strip.qx1", "--strip-components=2", "-o", "out", "-q"}, {"out/e.txt"}},
        {{"x", kSample, "--strip-components=1", "-o", "out", "-q"}, {"out/notes.txt", "out/ソフト一覧.txt"}},
    };
    Make("strip.qx1", {{"top\\\\b.txt", 0, test::Bytes("b")}, {"top\\.\\c.txt", 0, test::Bytes("c")},
                       {"top\\d\\e.txt", 0, test::Bytes("e")}, {"loose.txt", 0, test::Bytes("l")}});
    for (const Case& c : cases) {
        std::filesystem::remove_all(dir.Path() / "out");
        const test::ProgramResult result = Qx(c.args);
        EXPECT_EQ(result.status, 0) << c.args[2] << result.errors;
        size_t files = 0;
        for (const auto& item : std::filesystem::recursive_directory_iterator(dir.Path() / "out")) {
            files += item.is_regular_file() ? 1 : 0;
        }
        EXPECT_EQ(files, c.written.size()) << c.args[2];
        for (const std::string& path : c.written) EXPECT_TRUE(Exists(path)) << path;
    }
    struct stat st {};
    ASSERT_EQ(stat((dir.Path() / "out/notes.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, 899208000);
    EXPECT_EQ(File("out/notes.txt"), test::ReadBytes(std::string(QX_SOURCE_DIR) + "/examples/sample/docs/notes.txt"));

    const test::ProgramResult none = Qx({"x", kSample, "nothing*", "-o", "out"});
    EXPECT_EQ(none.status, 2);
    EXPECT_NE(none.errors.find("no entry matches nothing*"), std::string::npos);
}

// Patterns, folders (also with a trailing "/"), --exclude and standard
// input, alike in list, extract and cat.
TEST_F(QxProgram, SelectionWorksAlikeInEveryCommand) {
    struct Case {
        std::vector<std::string> args;
        std::string output;
    };
    const std::string notes = "docs/notes.txt\n";
    const std::vector<Case> cases = {
        {{"list", "-1", kSample}, "readme.txt\ndocs/notes.txt\n表計算/ソフト一覧.txt\n"},
        {{"list", "-1", kSample, "docs/"}, notes},
        {{"list", "-1", kSample, "**/*.txt", "--exclude=表計算"}, notes},
        {{"list", "-1", kSample, "--exclude", "*.txt", "--exclude=表計算/"}, notes},
        {{"list", "-1", "-", "docs"}, notes},
        {{"list", "-1", kSample, "docs\\notes.txt"}, notes},
        {{"cat", kSample, "doc?/", "--exclude=readme.txt"}, "Quexel archives keep"},
    };
    const std::vector<uint8_t> sample = test::ReadBytes(kSample);
    for (const Case& c : cases) {
        const test::ProgramResult r =
            test::RunProgram(kQx, c.args, dir.Path(), std::string(sample.begin(), sample.end()));
        EXPECT_EQ(r.status, 0) << c.args[2] << r.errors;
        EXPECT_EQ(r.output.substr(0, c.output.size()), c.output) << c.args[2];
    }
    const test::ProgramResult none = Qx({"list", "-1", kSample, "nothing*"});
    EXPECT_EQ(none.status, 2);
    EXPECT_NE(none.errors.find("no entry matches nothing*"), std::string::npos);
    EXPECT_EQ(Qx({"x", kSample, "-o", "out", "-q", "--exclude=**/*.txt", "表計算/"}).status, 0);
    EXPECT_FALSE(Exists("out"));
    EXPECT_EQ(Qx({"x", kSample, "-o", "out", "-q", "--exclude=readme.txt"}).status, 0);
    EXPECT_TRUE(Exists("out/docs/notes.txt"));
    EXPECT_FALSE(Exists("out/readme.txt"));
}

TEST_F(QxProgram, OverwritePoliciesWithoutATerminal) {
    Make("a.qx1", {{"f.txt", 900000000, test::Bytes("archived")}});
    test::WriteBytes(dir.Path() / "f.txt", test::Bytes("mine"));
    // With no terminal to ask, "ask" keeps the file, as "never" does.
    for (const char* policy : {"--overwrite=ask", "--overwrite=never"}) {
        const test::ProgramResult kept = Qx({"x", "a.qx1", policy});
        EXPECT_EQ(kept.status, 0);
        EXPECT_EQ(File("f.txt"), test::Bytes("mine"));
        EXPECT_EQ(kept.errors, "a.qx1: 0 files (0 bytes) extracted to ., 1 existing kept\n");
    }
    EXPECT_EQ(Qx({"x", "a.qx1", "--overwrite", "always"}).status, 0);
    EXPECT_EQ(File("f.txt"), test::Bytes("archived"));
    const test::ProgramResult same = Qx({"x", "a.qx1", "--overwrite=always", "--skip-identical"});
    EXPECT_EQ(same.errors, "a.qx1: 0 files (0 bytes) extracted to ., 1 existing kept\n");
    // The same bytes at another time are not identical: the file is written
    // again and gets the entry's time.
    platform::SetFileTime(test::Sjis((dir.Path() / "f.txt").string()), 950000000);
    const test::ProgramResult retimed = Qx({"x", "a.qx1", "--overwrite=always", "--skip-identical"});
    EXPECT_EQ(retimed.errors, "a.qx1: 1 file (8 bytes) extracted to .\n");
    struct stat st {};
    ASSERT_EQ(stat((dir.Path() / "f.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, 900000000);
    EXPECT_EQ(Qx({"x", "a.qx1", "--overwrite=sometimes"}).status, 1);
}

// An unsafe name refuses the archive in every command that writes its
// entries somewhere, with the name and what is wrong with it, before
// anything is written; list and test mark it.
TEST_F(QxProgram, UnsafeNamesRefuseTheArchiveWhereverItsEntriesWouldGo) {
    struct Case {
        std::string stored;  // CP932
        std::string shown;
        std::string problem;
    };
    const std::vector<Case> cases = {
        {"..\\escape.txt", "../escape.txt", "has a \"..\" part"},
        {"a\\..\\..\\x", "a/../../x", "has a \"..\" part"},
        {"\\tmp\\x", "/tmp/x", "is absolute"},
        {"C:x", "C:x", "has a drive prefix"},
        {"..", "..", "has a \"..\" part"},
        {"", "", "is empty"},
        {"a\\.", "a/.", "ends in no file name"},
        {std::string(256, 'n'), std::string(256, 'n'), "has a part longer than a file name can be"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown);
        Make("evil.qx1", {{"fine.txt", 0, test::Bytes("a")}, {c.stored, 0, test::Bytes("b")}});
        const std::string said = "\"" + c.shown + "\": the name " + c.problem;
        for (const std::vector<std::string>& writes :
             {std::vector<std::string>{"x", "evil.qx1", "-o", "out"}, {"convert", "evil.qx1", "out.tar"},
              {"convert", "evil.qx1", "out.zip"}}) {
            const test::ProgramResult refused = Qx(writes);
            EXPECT_EQ(refused.status, 2) << writes[0];
            EXPECT_NE(refused.errors.find(said), std::string::npos) << refused.errors;
            EXPECT_NE(refused.errors.find("nothing"), std::string::npos) << refused.errors;
        }
        EXPECT_FALSE(Exists("out"));
        EXPECT_FALSE(Exists("out.tar"));
        EXPECT_FALSE(Exists("out.zip"));
        EXPECT_NE(Qx({"list", "evil.qx1"}).output.find("  (unsafe: the name " + c.problem), std::string::npos);
        const test::ProgramResult tested = Qx({"test", "evil.qx1"});
        EXPECT_EQ(tested.status, 0);
        EXPECT_NE(tested.errors.find("warning: " + said), std::string::npos) << tested.errors;
        const auto json = nlohmann::json::parse(Qx({"list", "--json", "evil.qx1"}).output);
        EXPECT_EQ(json["entries"][0]["unsafe"], false);
        EXPECT_EQ(json["entries"][1]["unsafe"], true);
        EXPECT_NE(json["entries"][1]["problem"].get<std::string>().find(c.problem), std::string::npos);
    }
    // Nothing at all was written beside the archive: no temporary file either.
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        EXPECT_EQ(entry.path().filename(), "evil.qx1");
    }
}

// 588 bytes that declare 300,000 entries, under an address-space limit of
// 200 MB: each command ends with its whole result or says that memory is
// short; none is killed or crashes.
TEST_F(QxProgram, ADirectoryBombEndsCleanlyUnderAMemoryLimit) {
#ifdef QX_SANITIZED
    GTEST_SKIP() << "no address-space limit under AddressSanitizer";
#endif
    const std::string bomb = std::string(QX_SOURCE_DIR) + "/tests/data/directory-bomb.qx1";
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"list", bomb}, {"list", "--json", bomb}, {"test", bomb}}) {
        const test::ProgramResult r = Qx(args, "ulimit -v 200000;");
        SCOPED_TRACE(args[1]);
        if (r.status == 2) {
            EXPECT_NE(r.errors.find("not enough memory"), std::string::npos) << r.errors;
            continue;
        }
        ASSERT_EQ(r.status, 0) << r.errors;
        if (args[0] == "test") EXPECT_NE(r.output.find(": OK, decoded without error\n"), std::string::npos);
        else if (args[1] == "--json") EXPECT_EQ(nlohmann::json::parse(r.output)["entries"].size(), 300000u);
        else EXPECT_EQ(r.output.substr(r.output.size() - 15), "  300000 files\n");
    }
}

TEST_F(QxProgram, RefusesMissingPasswords) {
    Make("locked.qx1", {{"s.txt", 0, test::Bytes("secret")}}, "pw");
    const test::ProgramResult missing = Qx({"cat", "locked.qx1", "s.txt"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.errors.find("protected by a password"), std::string::npos);
    EXPECT_EQ(Qx({"cat", "locked.qx1", "s.txt", "-p", "no"}).status, 2);
    EXPECT_EQ(Qx({"cat", "locked.qx1", "s.txt", "-p", "pw"}).output, "secret");
    EXPECT_EQ(Qx({"cat", "locked.qx1", "s.txt"}, "QX_PASSWORD=pw").output, "secret");
    test::WriteBytes(dir.Path() / "pwfile", test::Bytes("pw\n"));
    EXPECT_EQ(Qx({"cat", "--password-file=pwfile", "locked.qx1", "s.txt"}).output, "secret");
}

TEST_F(QxProgram, TestsAndCatsWithStatuses) {
    ArchiveOptions options;
    std::vector<uint8_t> bytes = BuildArchive({{"big", 0, test::RandomBytes(20000, 3, 9)}}, options);
    bytes.resize(bytes.size() - 500);
    test::WriteBytes(dir.Path() / "cut.qx1", bytes);
    const test::ProgramResult tested = Qx({"t", kSample, "cut.qx1"});
    EXPECT_EQ(tested.status, 2);
    EXPECT_EQ(tested.output, kSample + ": OK, decoded without error\ncut.qx1: FAILED: the archive is damaged or cut short\n"
                             "2 archives: 1 decoded without error, 1 failed\n");
    EXPECT_EQ(tested.errors, "qx: cut.qx1: damaged: big\n");
    // -q: the failures alone.
    EXPECT_EQ(Qx({"t", "-q", kSample, "cut.qx1"}).output, "cut.qx1: FAILED: the archive is damaged or cut short\n");

    const test::ProgramResult cat = Qx({"cat", kSample, "docs/notes.txt", "nope", "readme.txt"});
    EXPECT_EQ(cat.status, 2);
    const std::string root = std::string(QX_SOURCE_DIR) + "/examples/sample/";
    // In the archive's order, whatever the order of the names.
    std::vector<uint8_t> expected = test::ReadBytes(root + "readme.txt");
    const std::vector<uint8_t> notes = test::ReadBytes(root + "docs/notes.txt");
    expected.insert(expected.end(), notes.begin(), notes.end());
    EXPECT_EQ(test::Bytes(cat.output), expected);
    EXPECT_NE(cat.errors.find("no entry named nope"), std::string::npos);

    // A path or argument with an escape sequence is repeated with its
    // control characters shown, on both streams.
    const test::ProgramResult odd = Qx({"test", "a\x1B[2Jb.qx1"});
    EXPECT_EQ(odd.output, "a%1B[2Jb.qx1: FAILED: cannot open or read the file (No such file or directory)\n"
                          "1 archive: 0 decoded without error, 1 failed\n");
    EXPECT_EQ(odd.errors, "");
    EXPECT_NE(Qx({"cat", kSample, "x\x07y"}).errors.find("no entry named x%07y"), std::string::npos);
}

TEST_F(QxProgram, CreatesWhatQxencCreatesAndRefusesBadCommandLines) {
    std::filesystem::create_directories(dir.Path() / "src");
    test::WriteBytes(dir.Path() / "src/a.txt", test::Bytes("alpha alpha alpha"));
    ASSERT_EQ(Qx({"create", "-q", "one.qx1", "src"}).status, 0);
    ASSERT_EQ(test::RunProgram(QX_QXENC_PATH, {"-q", "two.qx1", "src"}, dir.Path()).status, 0);
    EXPECT_EQ(File("one.qx1"), File("two.qx1"));
    EXPECT_EQ(Qx({"cat", "one.qx1", "src/a.txt"}).output, "alpha alpha alpha");

    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {}, {"frobnicate"}, {"list"}, {"list", "--bogus", kSample}, {"x", kSample, "-o"}, {"cat", kSample}}) {
        EXPECT_EQ(Qx(args).status, 1) << (args.empty() ? "" : args[0]);
    }
    EXPECT_EQ(Qx({"--version"}).output.substr(0, 9), std::string("qx 1.1.0\n"));
    EXPECT_NE(Qx({"--version"}).output.find("MIT licence"), std::string::npos);
    EXPECT_EQ(Qx({"extract", "--help"}).status, 0);
}

}  // namespace
