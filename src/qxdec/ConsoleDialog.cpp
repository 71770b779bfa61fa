// SPDX-License-Identifier: MIT
#include "qxdec/ConsoleDialog.h"

#include <cstdio>

#include "platform/MaskedEntry.h"
#include "qxdec/Messages.h"

void ConsoleDialog::ShowMessage(const std::string& text) {
    console_.Write(Text(Msg::HeaderMessage));
    console_.Write(text);
    console_.Write("\n");
}

void ConsoleDialog::ShowInformation(const std::string& text) {
    console_.Write(Text(Msg::HeaderInformation));
    console_.Write(text);
    console_.Write("\n");
}

Answer ConsoleDialog::AskQuestion(const std::string& text) {
    console_.Write(Text(Msg::HeaderQuestion));
    console_.Write(text);
    console_.Write(Text(Msg::AnswerSuffix));
    if (settings_.answerAllYes) {
        console_.Write(Text(Msg::AllYes));
        return Answer::Yes;
    }
    std::string line;
    // End of input gives no answer at all: taken as no.
    if (!console_.ReadLine(line, kAnswerLimit)) return Answer::No;
    return !line.empty() && (line[0] == 'n' || line[0] == 'N') ? Answer::No : Answer::Yes;
}

std::string ConsoleDialog::InputPassword(const std::string& prompt) {
    if (settings_.presetPassword) return *settings_.presetPassword;
    console_.Write(Text(Msg::HeaderPassword));
    console_.Write(prompt);
    console_.Write(Text(Msg::PromptSuffix));
    return ReadMaskedEntry(console_, prompt + Text(Msg::PromptSuffix), kPasswordLimit);
}

void ConsoleDialog::BeginProgress(int) {}

void ConsoleDialog::ShowStatus(const std::string& text) {
    console_.Write(text);
    console_.Write("\n");
    console_.Flush();
}

int ConsoleDialog::SetProgressRange(int range) {
    ShowProgress(range);
    return 0;
}

int ConsoleDialog::UpdateProgress(int percent) {
    ShowProgress(percent);
    return 0;
}

void ConsoleDialog::ShowProgress(int percent) {
    // " %3d%\r", written out by hand: it comes between every two entries.
    char line[32];
    if (percent >= 0 && percent <= 999) {
        line[0] = ' ';
        line[1] = percent >= 100 ? static_cast<char>('0' + percent / 100) : ' ';
        line[2] = percent >= 10 ? static_cast<char>('0' + percent / 10 % 10) : ' ';
        line[3] = static_cast<char>('0' + percent % 10);
        line[4] = '%';
        line[5] = '\r';
        line[6] = '\0';
    } else {
        std::snprintf(line, sizeof line, " %3d%%\r", percent);
    }
    console_.Write(line);
    console_.Flush();
}
