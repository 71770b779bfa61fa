// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

// What the option pass of qxdec makes of a command line.
struct CommandLine {
    std::optional<std::string> illegalOption;   // the first argument that is no option
    std::optional<std::string> outputDir;       // -dDIR, or the answer to a bare -d
    std::optional<std::string> presetPassword;  // -pPASS
    bool answerAllYes = false;                  // -y...
    bool testFlag = false;                      // -t...
};

// Asks for the output folder (a bare -d); nullopt when no answer came.
using AskFolder = std::function<std::optional<std::string>()>;

// Reads the options of args (args[0] is the program); arguments that do not
// begin with '-' are passed over. Stops at the first illegal option.
CommandLine ParseOptions(const std::vector<std::string>& args, const AskFolder& askFolder);

// Appends the separator unless the last byte already is one (looked at as
// a plain byte).
std::string CompleteFolder(const std::string& folder);
