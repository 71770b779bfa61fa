// SPDX-License-Identifier: MIT
// The console dialogue's exact bytes, its answers and the password keys.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "qxdec/ConsoleDialog.h"
#include "qxdec/Messages.h"

namespace {

class ConsoleDialogTest : public ::testing::Test {
protected:
    test::ScriptedConsole console;
    DialogSettings settings;
    ConsoleDialog dialog{console, settings};
};

TEST_F(ConsoleDialogTest, HeadersAndFlushes) {
    dialog.ShowMessage("m");
    dialog.ShowInformation("i");
    dialog.BeginProgress(1);
    dialog.ShowStatus("s");
    EXPECT_EQ(dialog.SetProgressRange(100), 0);
    EXPECT_EQ(dialog.UpdateProgress(42), 0);
    EXPECT_EQ(dialog.UpdateProgress(7), 0);
    EXPECT_EQ(console.output,
              "QX Message: \nm\nQX Information:\ni\ns\n<flush> 100%\r<flush>  42%\r<flush>   7%\r<flush>");
}

TEST_F(ConsoleDialogTest, AnswersStartingWithNAreNo) {
    const std::pair<const char*, Answer> cases[] = {{"No", Answer::No},   {"n", Answer::No},  {"nein", Answer::No},
                                                    {"N", Answer::No},    {"yes", Answer::Yes}, {"Y", Answer::Yes},
                                                    {"x", Answer::Yes},   {"", Answer::Yes}};
    for (const auto& [answer, expected] : cases) {
        console.output.clear();
        console.lines = {answer};
        EXPECT_EQ(dialog.AskQuestion("Q?"), expected) << answer;
        EXPECT_EQ(console.output, "QX Question:\nQ? [y/n]:");
    }
}

TEST_F(ConsoleDialogTest, EndOfInputAnswersNo) { EXPECT_EQ(dialog.AskQuestion("Q?"), Answer::No); }

TEST_F(ConsoleDialogTest, AllYesAnswersWithoutReading) {
    settings.answerAllYes = true;
    console.lines = {"n"};
    EXPECT_EQ(dialog.AskQuestion("Q?"), Answer::Yes);
    EXPECT_EQ(console.output, "QX Question:\nQ? [y/n]:All YES.\n");
    EXPECT_EQ(console.lines.size(), 1u);
}

TEST_F(ConsoleDialogTest, PresetPasswordPrintsNothing) {
    settings.presetPassword = "pw";
    EXPECT_EQ(dialog.InputPassword("P"), "pw");
    EXPECT_EQ(console.output, "");
}

struct KeyCase {
    const char* what;
    std::vector<int> keys;
    std::string password;
    std::string screen;  // after the header and prompt
};

TEST_F(ConsoleDialogTest, PasswordKeys) {
    const KeyCase cases[] = {
        {"three keys, backspace, enter", {'a', 'b', 'c', 8, 13}, "ab", "***\rP?:**"},
        {"backspace first does nothing", {8, 'a', 13}, "a", "*"},
        {"escape empties the entry", {'a', 'b', 27}, "", "**\n"},
        {"enter at once", {13}, "", ""},
        {"a line feed from a pipe ends the entry", {'x', 10}, "x", "*"},
        {"end of input gives an empty password", {'a'}, "", "*\n"},
        {"double-byte keys are stored and starred per byte", {0x95, 0x5c, 13}, "\x95\x5c", "**"},
    };
    for (const KeyCase& c : cases) {
        console.output.clear();
        console.keys.assign(c.keys.begin(), c.keys.end());
        console.keyRunsEnded = 0;
        EXPECT_EQ(dialog.InputPassword("P"), c.password) << c.what;
        EXPECT_EQ(console.output, "QX InputPassword:\nP?:" + c.screen) << c.what;
        // However the entry ends, the terminal leaves raw mode once.
        EXPECT_EQ(console.keyRunsEnded, 1) << c.what;
    }
}

TEST_F(ConsoleDialogTest, EnterDiscardsTheRestOfTheLine) {
    console.keys = {'a', 13};
    dialog.InputPassword("P");
    EXPECT_EQ(console.discards, 1);
}

TEST_F(ConsoleDialogTest, TypedPasswordStopsAt255Bytes) {
    console.keys.assign(300, 'k');
    console.keys.push_back(13);
    EXPECT_EQ(dialog.InputPassword("P"), std::string(255, 'k'));
}

TEST(Messages, EveryTextHasACp932Form) {
    for (int i = 0; i < static_cast<int>(Msg::Count); ++i) {
        const Msg id = static_cast<Msg>(i);
        EXPECT_EQ(test::Sjis(std::string(SourceText(id))), Text(id)) << i;
    }
    EXPECT_EQ(Text(Msg::PasswordPrompt), test::Sjis("パスワードを入力して下さい。"));
}

TEST(Messages, ComposeFillsInOrderAndKeepsLongArguments) {
    const std::string longName(5000, 'x');
    EXPECT_EQ(Compose("(%d/%d) %s 100%%", {"1", "2", longName}), "(1/2) " + longName + " 100%");
    EXPECT_EQ(Compose("%s and %s", {"one"}), "one and %s");
    // A '%' that starts no placeholder stays, at the end too.
    EXPECT_EQ(Compose("50% %x%s %", {"y"}), "50% %xy %");
}

}  // namespace
