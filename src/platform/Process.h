// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

namespace platform {

// The command line as CP932 strings. On failure, refused holds the argument
// (in a displayable CP932 form) that has no CP932 form.
bool CommandLineArguments(int argc, char** argv, std::vector<std::string>& arguments, std::string& refused);
// True when standard output is a terminal (a console on Windows).
bool StandardOutputIsTerminal();
// The path of the running program's own file, CP932; empty when unknown.
std::string OwnExecutablePath();

}  // namespace platform
