// SPDX-License-Identifier: MIT
#pragma once

// Standard streams, the terminal and the environment as qx uses them: text
// is UTF-8 throughout.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The command line as UTF-8 (from the wide command line on Windows).
std::vector<std::string> Utf8Arguments(int argc, char** argv);
// An environment variable as UTF-8, if set.
std::optional<std::string> EnvironmentVariable(const char* name);

// All of standard input, as bytes; false when reading failed.
bool ReadStandardInput(std::vector<unsigned char>& bytes);
// Bytes to standard output exactly as given; false when writing failed.
bool WriteStandardOutput(const void* data, size_t size);
// UTF-8 text to standard output or standard error; a Windows console gets
// it through the wide console API.
void WriteTextOut(std::string_view utf8);
void WriteTextError(std::string_view utf8);
// Flushes standard output; false when its bytes could not all be written.
bool FlushStandardOutput();

// True when the UTF-8 path names a file (or a link to one) that exists.
bool IsExistingFile(const std::string& path);
// The files that an archive operand names. On Windows, where the shell
// leaves wildcards to the program, a last part with * or ? gives the
// matching files in name order; elsewhere, and when nothing matches, the
// operand itself.
std::vector<std::string> ExpandFileOperand(const std::string& operand);

bool StandardErrorIsTerminal();
bool StandardInputIsTerminal();

// Asks on the terminal with prompt (on standard error) and reads a line
// from standard input; with echo off when secret. False when standard input
// is not a terminal or ends.
bool AskTerminal(std::string_view prompt, bool secret, std::string& answer);

}  // namespace platform
