#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace test {

struct ProgramResult {
    int status = -1;
    std::string output;  // standard output, UTF-8, with elapsed times masked as "T.TT"
};

// Runs program with args in folder, feeding input on standard input.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::filesystem::path& folder, const std::string& input = "");

// The banner as qxdec prints it, UTF-8.
std::string BannerUtf8();

}  // namespace test
