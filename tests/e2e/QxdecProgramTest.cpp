// SPDX-License-Identifier: MIT
// qxdec run as a user runs it: arguments, answers on standard input, a
// temporary folder; the whole output, the files and the exit status.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "TestSupport.h"
#include "e2e/ProgramRunner.h"
#include "platform/Files.h"
#include "util/FormatThousands.h"

namespace {

class QxdecProgram : public ::testing::Test {
protected:
    test::TempDir dir;

    test::ProgramResult Decode(const std::vector<std::string>& args, const std::string& input = "") {
        return test::RunProgram(test::Qxdec().program, args, dir.Path(), input, test::Qxdec().windows);
    }
    void Archive(const std::string& file, const std::vector<ArchiveEntry>& entries, const ArchiveOptions& o = {}) {
        test::WriteArchive(dir.Path() / file, entries, o);
    }
    std::string Size(const std::string& file) {
        return FormatThousands(static_cast<int64_t>(std::filesystem::file_size(dir.Path() / file)));
    }
    std::string Read(const std::string& file) {
        const auto bytes = test::ReadBytes(dir.Path() / file);
        return std::string(bytes.begin(), bytes.end());
    }
    int64_t Time(const std::string& file) {
        platform::FileStatus status;
        return platform::Stat(test::Sjis((dir.Path() / file).string()), status) ? status.modified : -1;
    }
};

TEST_F(QxdecProgram, ExtractsNestedAndJapaneseNames) {
    Archive("s.qx1", {{"readme.txt", 1000000000, test::Bytes("hello\n")},
                      {test::Sjis("表\\ソース.txt"), 1100000000, test::Bytes("dbcs")},
                      {"a\\b\\c.bin", 1200000000, test::RandomBytes(3000, 4)}});
    const auto r = Decode({"s.qx1"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.output, test::BannerUtf8() + "InFile: s.qx1 (" + Size("s.qx1") +
                            " byte)\n"
                            " 100%\r"
                            "OutDir:  (3 file: 3,010 byte)\n"
                            "   0%\r"
                            "OutFile(1/3): readme.txt (6 byte)\n"
                            "OutFile(2/3): " + test::Shown("表/ソース.txt") + " (4 byte)\n"
                            "   0%\r"
                            "OutFile(3/3): " + test::Shown("a/b/c.bin") + " (3,000 byte)\n"
                            " 100%\r"
                            "QX Information:\n伸長処理を終了しました。(処理時間：T.TT 秒)\n");
    EXPECT_EQ(Read("readme.txt"), "hello\n");
    EXPECT_EQ(Read("表/ソース.txt"), "dbcs");
    EXPECT_EQ(test::ReadBytes(dir.Path() / "a/b/c.bin"), test::RandomBytes(3000, 4));
    EXPECT_EQ(Time("表/ソース.txt"), 1100000000);
    EXPECT_EQ(Time("a/b/c.bin"), 1200000000);
}

const std::string kDone = "QX Information:\n伸長処理を終了しました。(処理時間：T.TT 秒)\n";

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST_F(QxdecProgram, CommandLineErrorsExitWithOne) {
    const auto none = Decode({});
    EXPECT_EQ(none.status, 1);
    EXPECT_TRUE(Contains(none.output, " usage : A> qxdec [-d|-dOutDirName]"));
    const auto illegal = Decode({"-p", "x.qx1"});
    EXPECT_EQ(illegal.status, 1);
    EXPECT_TRUE(Contains(illegal.output, " Illegal Option!! : -p\n\n usage"));
    EXPECT_EQ(Decode({"-y"}).output, test::BannerUtf8());
}

TEST_F(QxdecProgram, OneDamagedArchiveAmongTwoGivesTwoAndTheOtherIsExtracted) {
    Archive("good.qx1", {{"g.txt", 0, test::Bytes("good")}});
    test::WriteBytes(dir.Path() / "bad.qx1", test::Bytes("this is not an archive at all"));
    const auto r = Decode({"bad.qx1", "-y", "good.qx1", "missing.qx1"});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(Contains(r.output, "QX Message: \nファイル(bad.qx1)はＱＸ圧縮されているファイルではありません。"));
    EXPECT_TRUE(Contains(r.output, "QX Message: \nファイル(missing.qx1)が入力(fopen)できません。\n処理を中止します。\n"));
    std::filesystem::create_directories(dir.Path() / "folder.qx1");
    EXPECT_TRUE(Contains(Decode({"folder.qx1"}).output, "ファイル(folder.qx1)が入力(fopen)できません。"));
    EXPECT_EQ(Read("g.txt"), "good");
}

TEST_F(QxdecProgram, ExistingFilesAnswers) {
    Archive("a.qx1", {{"x.txt", 1000, test::Bytes("archived")}});
    const std::string ask = "QX Question:\nファイル(1 file)が既に存在します。\n上書きしますか？ [y/n]:";
    const std::string compare = "QX Question:\nファイルの内容と圧縮ファイルの内容を比較しますか？ [y/n]:";
    const std::string mismatch = "QX Question:\n比較ファイルの内容と圧縮ファイルの内容が不一致です。\n"
                                 "比較ファイル(x.txt)の 0 byte 目のデータが一致しない。\n[0x61] [0x41]\n比較処理を続けますか？ [y/n]:";
    const struct {
        const char* what;
        std::vector<std::string> args;
        std::string input;
        std::string tail;
        std::string file;
    } cases[] = {
        {"overwrite", {"a.qx1"}, "y\n", "", "archived"},
        {"all yes", {"-y", "a.qx1"}, "", "", "archived"},
        {"neither", {"a.qx1"}, "n\nn\n", "QX Information:\nファイルを出力せずに終了します。\n", "Archived"},
        {"end of input is no", {"a.qx1"}, "", "QX Information:\nファイルを出力せずに終了します。\n", "Archived"},
        {"compare, go on after the mismatch", {"a.qx1"}, "n\ny\ny\n",
         "CompFile(1/1): x.txt (8 byte)\n" + mismatch + " 100%\rQX Information:\n比較処理を終了しました。\n"
         "ファイルの内容と一致しませんでした。(処理時間：T.TT 秒)\n", "Archived"},
        {"compare, stop at the mismatch", {"a.qx1"}, "n\ny\nn\n", "CompFile(1/1): x.txt (8 byte)\n" + mismatch,
         "Archived"},
    };
    for (const auto& c : cases) {
        test::WriteBytes(dir.Path() / "x.txt", test::Bytes("Archived"));
        platform::SetFileTime(test::Sjis((dir.Path() / "x.txt").string()), 1000);
        const auto r = Decode(c.args, c.input);
        EXPECT_EQ(r.status, 0) << c.what;
        EXPECT_EQ(Read("x.txt"), c.file) << c.what;
        EXPECT_TRUE(Contains(r.output, c.tail)) << c.what << "\n" << r.output;
    }
    const auto allYes = Decode({"-y", "a.qx1"});
    EXPECT_TRUE(Contains(allYes.output, ask + "All YES.\nInFile:"));
}

TEST_F(QxdecProgram, Passwords) {
    Archive("p.qx1", {{"secret.txt", 0, test::Bytes("hidden")}}, {false, false, "pass"});
    const std::string prompt = "QX InputPassword:\nパスワードを入力して下さい。?:";
    const struct {
        const char* what;
        std::vector<std::string> args;
        std::string input;
        int status;
        std::string shown;
    } cases[] = {
        {"given", {"-ppass", "p.qx1"}, "", 0, kDone},
        {"typed", {"p.qx1"}, "pass\n", 0, prompt + "****InFile:"},
        {"typed, with a backspace", {"p.qx1"}, "pasx\bs\n", 0, prompt + "****\rパスワードを入力して下さい。?:***"},
        {"missing", {"p.qx1"}, "", 2, prompt + "\nQX Information:\nパスワードが入力されませんでした。\n処理を中止します。\n"},
        {"wrong", {"-pwrong", "p.qx1"}, "", 2, "QX Information:\nパスワードが一致しません。\n処理を中止します。\n"},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(dir.Path() / "secret.txt");
        const auto r = Decode(c.args, c.input);
        EXPECT_EQ(r.status, c.status) << c.what;
        EXPECT_TRUE(Contains(r.output, c.shown)) << c.what << "\n" << r.output;
        EXPECT_EQ(std::filesystem::exists(dir.Path() / "secret.txt"), c.status == 0) << c.what;
    }
}

TEST_F(QxdecProgram, EmptyArchivesAndEmptyEntries) {
    Archive("none.qx1", {});
    const auto none = Decode({"none.qx1"});
    EXPECT_EQ(none.status, 0);
    EXPECT_EQ(none.output, test::BannerUtf8() + "InFile: none.qx1 (" + Size("none.qx1") + " byte)\n 100%\r 100%\r" + kDone);
    Archive("empty.qx1", {{"e1", 5, {}}, {"d/e2", 7, {}}});
    EXPECT_EQ(Decode({"empty.qx1"}).status, 0);
    EXPECT_EQ(std::filesystem::file_size(dir.Path() / "d/e2"), 0u);
    EXPECT_EQ(Time("d/e2"), 7);
}

TEST_F(QxdecProgram, TestModeWritesNothing) {
    Archive("t.qx1", {{"t.txt", 0, test::Bytes("tested")}});
    const auto r = Decode({"-t", "t.qx1"});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(Contains(r.output, "TestFile(1/1): t.txt (6 byte)\n 100%\rQX Information:\n解凍テストを終了しました。\n問題ありません。"));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "t.txt"));
}

TEST_F(QxdecProgram, OutputFolderOption) {
    Archive("o.qx1", {{"f.txt", 0, test::Bytes("x")}});
    std::filesystem::create_directories(dir.Path() / "out");
    EXPECT_EQ(Decode({"-dout", "o.qx1"}).status, 0);
    EXPECT_EQ(Read("out/f.txt"), "x");
    // A folder whose last byte is the 0x5C of 表 still gets its separator.
    std::filesystem::create_directories(dir.Path() / "表");
    EXPECT_EQ(Decode({"-d表", "o.qx1"}).status, 0);
    EXPECT_EQ(Read("表/f.txt"), "x");
    const auto typed = Decode({"-d", "o.qx1"}, "out/typed\n");
    EXPECT_TRUE(Contains(typed.output, "QX InputDirName:\n解凍ファイルの出力フォルダを選んでください。?:"));
    EXPECT_EQ(typed.status, 2);  // the typed folder does not exist
    EXPECT_TRUE(Contains(typed.output, "ファイル(out/typed" + test::Sep() + "f.txt)が出力(fopen)できません。"));
}

TEST_F(QxdecProgram, NamesThatEscapeAreRefusedBeforeAnythingIsWritten) {
    Archive("e.qx1", {{"first.txt", 0, test::Bytes("1")}, {"..\\escape.txt", 0, test::Bytes("2")}});
    const auto r = Decode({"-y", "e.qx1"});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(Contains(r.output, "ファイル名(" + test::Shown("../escape.txt") + ")は出力フォルダの外を指しています。"));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "first.txt"));
}

TEST_F(QxdecProgram, ReadOnlyFilesAndFoldersAreNotReplaced) {
    Archive("f.qx1", {{"x", 0, test::Bytes("new")}});
    test::WriteBytes(dir.Path() / "x", test::Bytes("old"));
    std::filesystem::permissions(dir.Path() / "x", std::filesystem::perms::owner_read);
    const auto r = Decode({"-y", "f.qx1"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.output, test::BannerUtf8() +
                            "QX Question:\nファイル(1 file)が既に存在します。\n上書きしますか？ [y/n]:All YES.\n"
                            "InFile: f.qx1 (" + Size("f.qx1") + " byte)\n 100%\r   0%\rOutFile(1/1): x (3 byte)\n"
                            "QX Message: \nファイル(x)が出力(fopen)できません。\n処理を中止します。\n");
    EXPECT_EQ(Read("x"), "old");
    std::filesystem::remove(dir.Path() / "x");
    std::filesystem::create_directories(dir.Path() / "x");
    EXPECT_EQ(Decode({"-y", "f.qx1"}).status, 2);
}

TEST_F(QxdecProgram, SelfExtractingFileExtractsItselfIntoItsFolder) {
    const auto archive = BuildArchive({{"inside.txt", 12345678, test::Bytes("from the stub")}}, {false, true, "pw"});
    std::filesystem::create_directories(dir.Path() / "sfx");
    const std::string name = test::Qxdec().windows ? "setup.exe" : "setup";
    test::WriteBytes(dir.Path() / "sfx" / name, AppendToProgram(test::ReadBytes(test::Qxdec().program), archive));
    std::filesystem::permissions(dir.Path() / "sfx" / name, std::filesystem::perms::owner_all);
    const std::string invoked = test::Qxdec().windows ? "sfx\\" + name : "./sfx/" + name;
    const auto r = test::RunProgram(invoked, {"-t", "-dother", "pw"}, dir.Path(), "", test::Qxdec().windows);
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_TRUE(Contains(r.output, "InFile: " + name + " (" + Size("sfx/" + name) + " byte)")) << r.output;
    EXPECT_EQ(Read("sfx/inside.txt"), "from the stub");
    EXPECT_EQ(Time("sfx/inside.txt"), 12345678);
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "other"));
}

TEST_F(QxdecProgram, DriveLetterOutputFolderOnWindows) {
    if (!test::Qxdec().windows) GTEST_SKIP() << "drive letters exist on Windows only";
    const char* prefix = std::getenv("WINEPREFIX");
    ASSERT_NE(prefix, nullptr);
    const std::string folder = "qxout-" + dir.Path().filename().string();
    const auto target = std::filesystem::path(prefix) / "drive_c" / folder;
    std::filesystem::create_directories(target);
    Archive("d.qx1", {{test::Sjis("表\\x.txt"), 0, test::Bytes("drive")}});
    const auto r = Decode({"-dC:\\" + folder, "d.qx1"});
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_TRUE(Contains(r.output, "OutFile(1/1): 表\\x.txt (5 byte)")) << r.output;
    EXPECT_EQ(test::ReadBytes(target / "表" / "x.txt"), test::Bytes("drive"));
    std::filesystem::remove_all(target);
}

}  // namespace

namespace {

// Control characters never reach the console or a file name: they are shown
// and written as %XX, and "%" of such a name as %25.
TEST_F(QxdecProgram, EscapesControlCharactersInNames) {
    Archive("c.qx1", {{"a\x1b[2J%\x07.txt", 0, test::Bytes("bell")}});
    const auto r = Decode({"c.qx1"});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(Contains(r.output, "OutFile(1/1): a%1B[2J%25%07.txt (4 byte)\n")) << r.output;
    EXPECT_FALSE(Contains(r.output, "\x1b"));
    EXPECT_EQ(Read("a%1B[2J%25%07.txt"), "bell");
}

}  // namespace

namespace {

// Nothing is written, replaced or compared outside the output folder, and
// an existing file survives a replacement that cannot be written.
TEST_F(QxdecProgram, OutputStaysInsideTheFolderAndOldFilesSurvive) {
    if (test::Qxdec().windows) GTEST_SKIP() << "links, pipes and file-size limits of POSIX";
    std::filesystem::create_directories(dir.Path() / "elsewhere");
    std::filesystem::create_directories(dir.Path() / "out");
    std::filesystem::create_directory_symlink(dir.Path() / "elsewhere", dir.Path() / "out/a");
    Archive("l.qx1", {{"a\\x.txt", 0, test::Bytes("through the link")}});
    const auto linked = Decode({"-y", "-dout", "l.qx1"});
    EXPECT_EQ(linked.status, 2);
    EXPECT_TRUE(Contains(linked.output, "ファイル(out/a/x.txt)が出力(fopen)できません。")) << linked.output;
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path() / "elsewhere"));
    // Compare mode does not read through the link either.
    test::WriteBytes(dir.Path() / "elsewhere/x.txt", test::Bytes("through the link"));
    const auto compared = Decode({"-dout", "l.qx1"}, "n\ny\n");
    EXPECT_TRUE(Contains(compared.output, "ファイル(out/a/x.txt)が入力(fopen)できません。")) << compared.output;
    EXPECT_EQ(compared.status, 2);

    // A pipe at an output place is refused at once, not waited on.
    mkfifo((dir.Path() / "p").c_str(), 0644);
    Archive("p.qx1", {{"p", 0, test::Bytes("pipe")}});
    EXPECT_TRUE(Contains(Decode({"-y", "p.qx1"}).output, "ファイル(p)が出力(fopen)できません。"));

    // Under a file-size limit the write fails; the old file stays whole and
    // no temporary file is left.
    test::WriteBytes(dir.Path() / "b.bin", test::RandomBytes(420000, 8));
    Archive("b.qx1", {{"b.bin", 0, test::RandomBytes(900000, 9)}});
    const auto limited = test::RunProgram(test::Qxdec().program, {"-y", "b.qx1"}, dir.Path(), "", false, "ulimit -f 600 &&");
    EXPECT_EQ(limited.status, 2);
    EXPECT_TRUE(Contains(limited.output, "ファイル(b.bin)が出力(fwrite)できません。")) << limited.output;
    EXPECT_EQ(test::ReadBytes(dir.Path() / "b.bin"), test::RandomBytes(420000, 8));
    for (const auto& item : std::filesystem::directory_iterator(dir.Path())) {
        EXPECT_EQ(item.path().filename().string().find(".qx-"), std::string::npos) << item.path();
    }
}

// Faults of the host that are hard to cause: a file whose time cannot be
// set is kept, with a notice, and the run goes on; a file that cannot be
// read back in compare mode ends the run.
TEST_F(QxdecProgram, HostFaultsAreReported) {
    if (test::Qxdec().windows) GTEST_SKIP() << "preloading is POSIX";
    const std::string faults = "LD_PRELOAD=" QX_FAULTS_PATH " ASAN_OPTIONS=verify_asan_link_order=0";
    Archive("t.qx1", {{"a.txt", 0, test::Bytes("first")}, {"b.txt", 0, test::Bytes("second")}});
    const auto timed = test::RunProgram(test::Qxdec().program, {"t.qx1"}, dir.Path(), "", false, faults);
    EXPECT_EQ(timed.status, 0) << timed.output << timed.errors;
    EXPECT_TRUE(Contains(timed.output, "ファイル(a.txt)の更新日付が設定(utime)できません。\n処理は続行します。")) << timed.output;
    EXPECT_EQ(Read("a.txt"), "first");
    EXPECT_EQ(Read("b.txt"), "second");

    // The preloaded library fails every read of 4321 bytes.
    Archive("r.qx1", {{"r.bin", 0, test::RandomBytes(4321, 5)}});
    ASSERT_EQ(Decode({"r.qx1"}).status, 0);
    const auto compared = test::RunProgram(test::Qxdec().program, {"r.qx1"}, dir.Path(), "n\ny\n", false, faults);
    EXPECT_EQ(compared.status, 2) << compared.output;
    EXPECT_TRUE(Contains(compared.output, "ファイル(r.bin)が入力(fread)できません。")) << compared.output;
}

}  // namespace
