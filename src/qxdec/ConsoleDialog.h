// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>

#include "platform/ConsoleIo.h"
#include "qxdec/UserDialog.h"

// Settings of the whole run that the console dialogue reads.
struct DialogSettings {
    std::optional<std::string> presetPassword;  // -p, or bare words of a self-extracting file
    bool answerAllYes = false;                  // -y
};

// The dialogue on the console: headers, questions answered by a line,
// masked password entry and a progress line that overwrites itself.
class ConsoleDialog : public UserDialog {
public:
    // A typed password stops at this many bytes.
    static constexpr size_t kPasswordLimit = 255;
    // Only the first character of an answer counts; the rest is consumed.
    static constexpr size_t kAnswerLimit = 79;

    ConsoleDialog(ConsoleIo& console, const DialogSettings& settings) : console_(console), settings_(settings) {}

    void ShowMessage(const std::string& text) override;
    void ShowInformation(const std::string& text) override;
    Answer AskQuestion(const std::string& text) override;
    std::string InputPassword(const std::string& prompt) override;
    void BeginProgress(int value) override;
    void ShowStatus(const std::string& text) override;
    int SetProgressRange(int range) override;
    int UpdateProgress(int percent) override;

private:
    void ShowProgress(int percent);

    ConsoleIo& console_;
    const DialogSettings& settings_;
};
