// SPDX-License-Identifier: MIT
// The command line of qxdec: exact output, exit status, and what reaches the
// archive loop.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "qxdec/ExecutableImage.h"
#include "qxdec/ProgramEntry.h"
#include "qxdec/Messages.h"

namespace {

struct Outcome {
    int status = -1;
    std::string output;  // after the banner
    bool ran = false;
    HandOver handOver;
    std::string password;
};

std::string Banner() { return Text(Msg::BannerLine1) + Text(Msg::BannerLine2) + Text(Msg::BannerLine3) + "\n"; }
std::string Usage() { return Text(Msg::Usage) + "\n"; }

Outcome Enter(std::vector<std::string> args, bool selfExtract = false, std::vector<std::string> lines = {}) {
    test::ScriptedConsole console;
    console.lines.assign(lines.begin(), lines.end());
    ProgramFile program{"prog", selfExtract ? 50000 : 40000, 40000};
    Outcome outcome;
    args.insert(args.begin(), "prog");
    std::string shown;
    outcome.status = RunEntry(args, console, program, [&](const HandOver& h, UserDialog& dialog) {
        outcome.ran = true;
        outcome.handOver = h;
        shown = console.output;
        outcome.password = dialog.InputPassword("P");
        return 0;
    });
    if (!outcome.ran) shown = console.output;
    EXPECT_EQ(shown.substr(0, Banner().size()), Banner());
    outcome.output = shown.substr(std::min(shown.size(), Banner().size()));
    return outcome;
}

TEST(ProgramEntry, IllegalOptionsAndMissingArguments) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"-p", "a.qx1"}, " Illegal Option!! : -p\n\n" + Usage()},
        {{"-", "a.qx1"}, " Illegal Option!! : -\n\n" + Usage()},
        {{"a.qx1", "-x", "-y"}, " Illegal Option!! : -x\n\n" + Usage()},
        {{}, Usage()},
    };
    for (const auto& [args, output] : cases) {
        const Outcome o = Enter(args);
        EXPECT_EQ(o.status, 1);
        EXPECT_FALSE(o.ran);
        EXPECT_EQ(o.output, output);
    }
}

TEST(ProgramEntry, OptionsApplyWhereverTheyStand) {
    const Outcome o = Enter({"a.qx1", "-yes", "-test", "-dC:\\OUT", "b.qx1", "-pZQX"});
    EXPECT_EQ(o.status, 0);
    ASSERT_TRUE(o.ran);
    EXPECT_FALSE(o.handOver.selfExtract);
    EXPECT_TRUE(o.handOver.testFlag);
    EXPECT_EQ(o.handOver.outputDir, "C:\\OUT/");
    EXPECT_EQ(o.handOver.archives, (std::vector<std::string>{"a.qx1", "b.qx1"}));
    EXPECT_EQ(o.password, "ZQX");
}

TEST(ProgramEntry, FolderCompletion) {
    EXPECT_EQ(Enter({"-d/tmp/out/", "a"}).handOver.outputDir, "/tmp/out/");
    // The last character is looked at under the lead-byte rule: a second
    // byte that equals the separator does not end the folder.
    EXPECT_EQ(Enter({"-d\x95/", "a"}).handOver.outputDir, "\x95//");
    EXPECT_EQ(Enter({"-d\x95\x40/", "a"}).handOver.outputDir, "\x95\x40/");
    EXPECT_EQ(Enter({"-dx", "-dy", "a"}).handOver.outputDir, "y/");
}

TEST(ProgramEntry, BareDAsksForTheFolder) {
    Outcome o = Enter({"-d", "a"}, false, {"/tmp/typed"});
    EXPECT_EQ(o.output, Text(Msg::HeaderDirName) + Text(Msg::AskOutputFolder) + "?:");
    EXPECT_EQ(o.handOver.outputDir, "/tmp/typed/");
    // End of input or an empty answer leaves the folder as it was.
    EXPECT_FALSE(Enter({"-d", "a"}).handOver.outputDir.has_value());
    EXPECT_EQ(Enter({"-dkept", "-d", "a"}, false, {""}).handOver.outputDir, "kept/");
}

TEST(ProgramEntry, OptionsOnlyRunNoArchive) {
    const Outcome o = Enter({"-y"});
    EXPECT_EQ(o.status, 0);
    EXPECT_TRUE(o.ran);
    EXPECT_TRUE(o.handOver.archives.empty());
}

TEST(ProgramEntry, SelfExtractingFileTakesBareWordsAsThePassword) {
    const Outcome o = Enter({"-pfirst", "second", "-t", "-dX", "third"}, true);
    EXPECT_EQ(o.status, 0);
    EXPECT_TRUE(o.handOver.selfExtract);
    EXPECT_EQ(o.handOver.archives, (std::vector<std::string>{"prog"}));
    EXPECT_FALSE(o.handOver.testFlag);
    EXPECT_FALSE(o.handOver.outputDir.has_value());
    EXPECT_EQ(o.password, "third");
    // With no argument at all it still runs, without usage text.
    const Outcome bare = Enter({}, true);
    EXPECT_TRUE(bare.ran);
    EXPECT_EQ(bare.output, "");
    // An illegal option still ends it.
    EXPECT_EQ(Enter({"-q"}, true).status, 1);
}

TEST(ExecutableImage, BuiltProgramIsExactlyItsImage) {
    test::TempDir dir;
    const auto program = test::ReadBytes(QX_QXDEC_PATH);
    ASSERT_FALSE(program.empty());
    test::WriteBytes(dir.Path() / "copy", program);
    EXPECT_EQ(ExecutableImageLength(dir.Internal() + "copy"), static_cast<int64_t>(program.size()));
    auto longer = program;
    longer.insert(longer.end(), 100, 0x55);
    test::WriteBytes(dir.Path() / "longer", longer);
    EXPECT_EQ(ExecutableImageLength(dir.Internal() + "longer"), static_cast<int64_t>(program.size()));
    test::WriteBytes(dir.Path() / "text", test::Bytes("not a program at all, just some text here..............."
                                                      "................................"));
    EXPECT_EQ(ExecutableImageLength(dir.Internal() + "text"), -1);
    EXPECT_EQ(ExecutableImageLength(dir.Internal() + "missing"), -1);
}

}  // namespace
