// SPDX-License-Identifier: MIT
#pragma once

#include <string>

// An answer to a yes/no question.
enum class Answer { Yes, No };

// Every word the extraction code says to the user, and every answer it
// needs back, goes through these eight operations (texts in CP932).
class UserDialog {
public:
    virtual ~UserDialog() = default;
    virtual void ShowMessage(const std::string& text) = 0;
    virtual void ShowInformation(const std::string& text) = 0;
    virtual Answer AskQuestion(const std::string& text) = 0;
    // The password; empty when none was given.
    virtual std::string InputPassword(const std::string& prompt) = 0;
    virtual void BeginProgress(int value) = 0;
    virtual void ShowStatus(const std::string& text) = 0;
    virtual int SetProgressRange(int range) = 0;
    // Nonzero asks the caller to cancel.
    virtual int UpdateProgress(int percent) = 0;
};
