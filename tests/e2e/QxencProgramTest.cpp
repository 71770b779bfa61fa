// SPDX-License-Identifier: MIT
// qxenc run as a user runs it, its archives read back by qxdec.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "TestSupport.h"
#include "create/EncoderOptions.h"
#include "e2e/ProgramRunner.h"
#include "platform/Files.h"

namespace {

const std::string kQxenc = QX_QXENC_PATH;
const std::string kQxdec = QX_QXDEC_PATH;

class QxencProgram : public ::testing::Test {
protected:
    test::TempDir dir;

    QxencProgram() {
        std::filesystem::create_directories(dir.Path() / "src/sub");
        test::WriteBytes(dir.Path() / "src/a.txt", test::Bytes("alpha alpha alpha\n"));
        test::WriteBytes(dir.Path() / "src/sub/表.bin", test::RandomBytes(5000, 5, 7));
        test::WriteBytes(dir.Path() / "src/sub/empty", {});
        platform::SetFileTime(test::Sjis((dir.Path() / "src/a.txt").string()), 900000000);
    }
    test::ProgramResult Qxenc(const std::vector<std::string>& args, const std::string& input = "") {
        return test::RunProgram(kQxenc, args, dir.Path(), input, false);
    }
    // Extracts archive into a fresh folder out/ and says whether it matches src/.
    bool ExtractsToTheSources(const std::string& archive, const std::vector<std::string>& extra = {}) {
        std::filesystem::remove_all(dir.Path() / "out");
        std::filesystem::create_directories(dir.Path() / "out");
        std::vector<std::string> args = extra;
        args.push_back("-dout");
        args.push_back(archive);
        if (test::RunProgram(kQxdec, args, dir.Path()).status != 0) return false;
        for (const char* name : {"a.txt", "sub/表.bin", "sub/empty"}) {
            if (test::ReadBytes(dir.Path() / "out/src" / name) != test::ReadBytes(dir.Path() / "src" / name)) return false;
        }
        platform::FileStatus status;
        return platform::Stat(test::Sjis((dir.Path() / "out/src/a.txt").string()), status) &&
               status.modified == 900000000;
    }
};

TEST_F(QxencProgram, EveryLevelAndOptionRoundTrips) {
    const std::vector<std::vector<std::string>> options = {{"-1", "--keep-order"}, {"-9"}, {"-7", "--tables=256", "--no-every"}};
    for (const auto& o : options) {
        std::vector<std::string> args = o;
        args.insert(args.end(), {"-q", "x.qx1", "src"});
        ASSERT_EQ(Qxenc(args).status, 0) << o[0];
        EXPECT_TRUE(ExtractsToTheSources("x.qx1")) << o[0];
    }
}

TEST_F(QxencProgram, OutputIsDeterministic) {
    ASSERT_EQ(Qxenc({"-q", "one.qx1", "src"}).status, 0);
    ASSERT_EQ(Qxenc({"-q", "--threads=1", "two.qx1", "src"}).status, 0);
    EXPECT_EQ(test::ReadBytes(dir.Path() / "one.qx1"), test::ReadBytes(dir.Path() / "two.qx1"));
}

// The archive being replaced is never stored in itself, whatever name or
// link reaches it; an archive with nothing left to store is not written.
TEST_F(QxencProgram, TheArchiveBeingWrittenIsNeverStoredInItself) {
    ASSERT_EQ(Qxenc({"-q", "src/self.qx1", "src"}).status, 0);
    const auto again = Qxenc({"src/self.qx1", "src"});
    ASSERT_EQ(again.status, 0);
    EXPECT_NE(again.errors.find("src/self.qx1 is the archive being written, not stored"), std::string::npos);
    EXPECT_TRUE(ExtractsToTheSources("src/self.qx1"));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "out/src/self.qx1"));

    std::filesystem::create_symlink("src/self.qx1", dir.Path() / "link.qx1");
    ASSERT_EQ(Qxenc({"-q", "link.qx1", "src"}).status, 0);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.Path() / "link.qx1"));
    EXPECT_TRUE(ExtractsToTheSources("src/self.qx1"));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "out/src/self.qx1"));

    const std::vector<uint8_t> kept = test::ReadBytes(dir.Path() / "src/self.qx1");
    for (const std::vector<std::string>& args : {std::vector<std::string>{"src/self.qx1", "src/self.qx1"},
                                                 {"link.qx1", "link.qx1"}, {"link.qx1", "src/self.qx1"}}) {
        const auto refused = Qxenc(args);
        EXPECT_EQ(refused.status, 2) << args[0];
        EXPECT_NE(refused.errors.find("no file to store; nothing written"), std::string::npos) << refused.errors;
        EXPECT_EQ(test::ReadBytes(dir.Path() / "src/self.qx1"), kept);
    }
}

// A file rewritten with the same size while it is read is refused: its
// times show it.
TEST_F(QxencProgram, AFileRewrittenWhileReadIsRefused) {
    test::WriteBytes(dir.Path() / "src/rewritten.bin", test::RandomBytes(7777, 9));
    platform::SetFileTime(test::Sjis((dir.Path() / "src/rewritten.bin").string()), 900000000);
    const auto r = test::RunProgram(kQxenc, {"keep.qx1", "src"}, dir.Path(), "", false,
                                    "LD_PRELOAD=" QX_FAULTS_PATH " ASAN_OPTIONS=verify_asan_link_order=0");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.errors.find("src/rewritten.bin changed while it was read; nothing written"), std::string::npos)
        << r.errors;
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "keep.qx1"));
}

TEST_F(QxencProgram, PasswordArchiveOpensOnlyWithItsPassword) {
    ASSERT_EQ(Qxenc({"-q", "-p", "sesame", "p.qx1", "src"}).status, 0);
    EXPECT_TRUE(ExtractsToTheSources("p.qx1", {"-psesame"}));
    EXPECT_FALSE(ExtractsToTheSources("p.qx1", {"-psesamE"}));
    const auto typed = Qxenc({"-q", "--ask-password", "t.qx1", "src"}, "typed\n");
    ASSERT_EQ(typed.status, 0);
    EXPECT_TRUE(ExtractsToTheSources("t.qx1", {"-ptyped"}));
}

TEST_F(QxencProgram, SelfExtractingOutputExtractsItself) {
    ASSERT_EQ(Qxenc({"-q", "--sfx=" + kQxdec, "setup", "src"}).status, 0);
    std::filesystem::create_directories(dir.Path() / "run");
    std::filesystem::rename(dir.Path() / "setup", dir.Path() / "run/setup");
    std::filesystem::permissions(dir.Path() / "run/setup", std::filesystem::perms::owner_all);
    const auto r = test::RunProgram("./run/setup", {}, dir.Path());
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(test::ReadBytes(dir.Path() / "run/src/sub/表.bin"), test::ReadBytes(dir.Path() / "src/sub/表.bin"));
}

// Written over an existing, larger archive, only the new archive is left:
// exactly the bytes that qxenc writes to standard output.
TEST_F(QxencProgram, AnArchiveWrittenOverALargerOneIsExactlyTheNewOne) {
    test::WriteBytes(dir.Path() / "old.qx1", test::RandomBytes(200000, 11));
    ASSERT_EQ(Qxenc({"-q", "old.qx1", "src"}).status, 0);
    const auto piped = Qxenc({"-q", "-", "src"});
    ASSERT_EQ(piped.status, 0);
    EXPECT_EQ(test::ReadBytes(dir.Path() / "old.qx1"), test::Bytes(piped.output));
}

TEST_F(QxencProgram, RefusalsLeaveNothingAndKeepAnExistingArchive) {
    test::WriteBytes(dir.Path() / "keep.qx1", test::Bytes("previous archive"));
    const struct {
        std::vector<std::string> args;
        int status;
        const char* says;
    } cases[] = {
        {{"keep.qx1", (dir.Path() / "src").string()}, 2, "is an absolute path"},
        {{"keep.qx1", "src", "fifo"}, 2, "fifo is not a regular file"},
        {{"keep.qx1", "back\\slash"}, 2, "has a \"\\\" in its name"},
        {{"keep.qx1", "../x"}, 2, "../x"},
        {{"keep.qx1", "missing"}, 2, "missing cannot be found"},
        {{"keep.qx1"}, 1, "no file or folder to add"},
        {{"-x", "keep.qx1", "src"}, 1, "unknown option -x"},
        {{"-p"}, 1, "needs a password"},
        {{"--sfx=nothere", "keep.qx1", "src"}, 2, "nothere cannot be read"},
        {{"nofolder/keep.qx1", "src"}, 2, "cannot be written"},
    };
    mkfifo((dir.Path() / "fifo").c_str(), 0644);
    test::WriteBytes(dir.Path() / "back\\slash", test::Bytes("b"));
    for (const auto& c : cases) {
        const auto r = Qxenc(c.args);
        EXPECT_EQ(r.status, c.status) << c.says;
        EXPECT_EQ(r.output, "") << c.says;
        EXPECT_NE(r.errors.find(c.says), std::string::npos) << r.errors;
        EXPECT_EQ(test::ReadBytes(dir.Path() / "keep.qx1"), test::Bytes("previous archive"));
    }
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        EXPECT_EQ(entry.path().filename().string().find("partial"), std::string::npos);
    }
}

// Only regular files are stored, each once; what is skipped is named.
TEST_F(QxencProgram, SkipsWhatIsNoFileAndStoresEachFileOnce) {
    mkfifo((dir.Path() / "src/sub/pipe").c_str(), 0644);
    std::filesystem::create_directories(dir.Path() / "src/empty");
    std::filesystem::create_symlink(dir.Path() / "nowhere", dir.Path() / "src/dangling");
    std::filesystem::create_directory_symlink(dir.Path() / "src", dir.Path() / "src/sub/loop");
    std::filesystem::create_symlink("../a.txt", dir.Path() / "src/sub/link.txt");
    // Written to standard output: the archive alone there, every warning on
    // standard error.
    const auto r = Qxenc({"-q", "-", "src", "src/a.txt"});
    EXPECT_EQ(r.status, 0) << r.errors;
    for (const char* warning : {"src/sub/pipe is not a regular file", "src/dangling is a link to nothing",
                                "src/empty is an empty folder, not stored", "src/sub/loop is a link back to a folder",
                                "src/sub/link.txt is the same file as src/a.txt, which is stored"}) {
        EXPECT_NE(r.errors.find(std::string("qxenc: warning: ") + warning), std::string::npos) << r.errors;
    }
    test::WriteBytes(dir.Path() / "x.qx1", test::Bytes(r.output));
    EXPECT_EQ(test::RunProgram(QX_QX_PATH, {"test", "-q", "x.qx1"}, dir.Path()).status, 0);
    const auto listed = test::RunProgram(QX_QX_PATH, {"list", "x.qx1"}, dir.Path());
    EXPECT_EQ(listed.output.find("src/a.txt"), listed.output.rfind("src/a.txt")) << listed.output;
    EXPECT_EQ(listed.output.find("link.txt"), std::string::npos) << listed.output;
    EXPECT_TRUE(ExtractsToTheSources("x.qx1"));
}

// A link as the target is written through; "-" is standard output; a
// self-extracting program is executable.
TEST_F(QxencProgram, WritesThroughLinksToStandardOutputAndExecutables) {
    test::WriteBytes(dir.Path() / "real.qx1", test::Bytes("old"));
    std::filesystem::permissions(dir.Path() / "real.qx1", std::filesystem::perms(0640));
    std::filesystem::create_symlink("real.qx1", dir.Path() / "link.qx1");
    ASSERT_EQ(Qxenc({"-q", "link.qx1", "src"}).status, 0);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.Path() / "link.qx1"));
    EXPECT_TRUE(ExtractsToTheSources("real.qx1"));
    EXPECT_EQ(std::filesystem::status(dir.Path() / "real.qx1").permissions(), std::filesystem::perms(0640));
    const auto out = Qxenc({"-q", "-", "src"});
    EXPECT_EQ(test::Bytes(out.output), test::ReadBytes(dir.Path() / "real.qx1"));
    ASSERT_EQ(Qxenc({"-q", "--sfx=" + kQxdec, "setup", "src"}).status, 0);
    EXPECT_NE(std::filesystem::status(dir.Path() / "setup").permissions() & std::filesystem::perms::owner_exec,
              std::filesystem::perms::none);
}

// The README's command rebuilds the sample archive byte for byte.
TEST_F(QxencProgram, RebuildsTheSampleArchive) {
    const std::filesystem::path sample = std::filesystem::path(QX_SOURCE_DIR) / "examples";
    std::filesystem::copy(sample / "sample", dir.Path() / "sample", std::filesystem::copy_options::recursive);
    for (const auto& item : std::filesystem::recursive_directory_iterator(dir.Path() / "sample")) {
        if (item.is_regular_file()) platform::SetFileTime(test::Sjis(item.path().string()), 899208000);
    }
    ASSERT_EQ(test::RunProgram(kQxenc, {"-q", "--keep-order", "../rebuilt.qx1", "readme.txt", "docs", "表計算"},
                               dir.Path() / "sample").status, 0);
    EXPECT_EQ(test::ReadBytes(dir.Path() / "rebuilt.qx1"), test::ReadBytes(sample / "sample.qx1"));
}

TEST_F(QxencProgram, TimesOutsideTheFormatAreRefused) {
    const auto late = test::Sjis((dir.Path() / "src/a.txt").string());
    ASSERT_TRUE(platform::SetFileTime(late, int64_t{1} << 32));
    const auto r = Qxenc({"-q", "late.qx1", "src"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.errors.find("32-bit range"), std::string::npos) << r.errors;
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "late.qx1"));
}

TEST(EncoderOptions, ParsesTheCommandLine) {
    const EncoderOptions o = ParseEncoderOptions({"qxenc", "-9", "-pPW", "--tables=256", "--no-every", "a.qx1", "x", "y"});
    EXPECT_EQ(o.error, "");
    EXPECT_EQ(o.level, 9);
    EXPECT_EQ(o.password, "PW");
    EXPECT_FALSE(o.largeTables);
    EXPECT_FALSE(o.insertEveryPosition);
    EXPECT_EQ(o.archive, "a.qx1");
    EXPECT_EQ(o.paths, (std::vector<std::string>{"x", "y"}));
    EXPECT_EQ(ParseEncoderOptions({"qxenc", "-p", "", "a", "b"}).error, "the password must not be empty");
    EXPECT_EQ(ParseEncoderOptions({"qxenc", "--threads=3", "a", "b"}).threads, 3);
    for (const char* bad : {"--threads=0", "--threads=", "--threads=x", "--threads=-1", "--threads=9999"}) {
        EXPECT_EQ(ParseEncoderOptions({"qxenc", bad, "a", "b"}).error, "option --threads needs a number from 1 to 999") << bad;
    }
    EXPECT_TRUE(ParseEncoderOptions({"qxenc", "--help"}).help);
    EXPECT_EQ(ParseEncoderOptions({"qxenc", "--", "-a.qx1", "-x"}).paths, (std::vector<std::string>{"-x"}));
}

}  // namespace
