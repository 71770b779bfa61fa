#include "dialog/ConsoleDialog.h"

#include <cstdio>

#include "dialog/Messages.h"

namespace {

constexpr int kEnter = 13;
constexpr int kLineFeed = 10;
constexpr int kBackspace = 8;
constexpr int kEscape = 27;

}  // namespace

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

int ConsoleDialog::AskQuestion(const std::string& text) {
    console_.Write(Text(Msg::HeaderQuestion));
    console_.Write(text);
    console_.Write(Text(Msg::AnswerSuffix));
    if (settings_.answerAllYes) {
        console_.Write(Text(Msg::AllYes));
        return 0;
    }
    std::string line;
    // End of input gives no answer at all: taken as no.
    if (!console_.ReadLine(line, kAnswerLimit)) return 1;
    return !line.empty() && (line[0] == 'n' || line[0] == 'N') ? 1 : 0;
}

std::string ConsoleDialog::InputPassword(const std::string& prompt) {
    if (settings_.presetPassword) return *settings_.presetPassword;
    // The console reads keys in raw mode until the entry ends, however it ends.
    struct KeysEnd {
        ConsoleIo& console;
        ~KeysEnd() { console.EndKeys(); }
    } keysEnd{console_};
    console_.Write(Text(Msg::HeaderPassword));
    console_.Write(prompt);
    console_.Write(Text(Msg::PromptSuffix));
    std::string password;
    for (;;) {
        const int key = console_.ReadKey();
        if (key == kEnter || key == kLineFeed) {
            if (key == kEnter) console_.DiscardLine();
            return password;
        }
        if (key == kBackspace) {
            if (password.empty()) continue;
            password.pop_back();
            console_.Write("\r");
            console_.Write(prompt);
            console_.Write(Text(Msg::PromptSuffix));
            console_.Write(std::string(password.size(), '*'));
            continue;
        }
        if (key == kEscape || key < 0) {
            // Escape, or the end of input, cancels the entry.
            console_.Write("\n");
            return {};
        }
        if (password.size() >= kPasswordLimit) continue;
        password += static_cast<char>(key);
        console_.Write("*");
    }
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
