// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace test {

struct ProgramResult {
    int status = -1;
    std::string output;  // standard output, UTF-8, with elapsed times masked as "T.TT"
    std::string errors;  // standard error, as written
};

// The qxdec under test: the native build, or the Windows build run under
// wine when QX_WINE and QX_WINDOWS_QXDEC name them.
struct ProgramUnderTest {
    std::string launcher;  // empty, or the wine loader
    std::string program;
    bool windows = false;
};
const ProgramUnderTest& Qxdec();

// The separator qxdec shows in paths: "\" on Windows, "/" on POSIX.
std::string Sep();
// text with every "/" shown as Sep().
std::string Shown(std::string text);

// Runs program (through the launcher of qxdec when windows) with args in
// folder, feeding input on standard input; environment is put before the
// command ("NAME=value ..."). The output of a Windows program is CP932 and
// is turned into UTF-8.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::filesystem::path& folder, const std::string& input = "", bool windows = false,
                         const std::string& environment = "");

// The banner as qxdec prints it, UTF-8.
std::string BannerUtf8();

}  // namespace test
