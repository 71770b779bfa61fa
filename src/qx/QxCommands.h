// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

// The subcommands of qx, each given the arguments behind its name; each
// returns the exit status: 0, 1 for a command line that cannot be used, 2
// when an archive or entry failed.
int RunList(const std::vector<std::string>& args);
int RunExtract(const std::vector<std::string>& args);
int RunTest(const std::vector<std::string>& args);
int RunCat(const std::vector<std::string>& args);
int RunConvert(const std::vector<std::string>& args);
int RunVerify(const std::vector<std::string>& args);

// A command-line error: the message, a pointer to the help, status 1.
int UsageError(const std::string& command, const std::string& text);
