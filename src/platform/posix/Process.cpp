// SPDX-License-Identifier: MIT
#include "platform/Process.h"

#include <unistd.h>

#include <climits>

#include "platform/Encoding.h"

namespace platform {

bool CommandLineArguments(int argc, char** argv, std::vector<std::string>& arguments, std::string& refused) {
    arguments.clear();
    for (int i = 0; i < argc; ++i) {
        std::string cp932;
        if (!Cp932FromUtf8(argv[i], cp932)) {
            // The program's own name only serves to find its file: it is
            // never refused (the own-executable path is the fallback).
            if (i == 0) {
                arguments.push_back(Cp932FromUtf8Lossy(argv[i]));
                continue;
            }
            refused = Cp932FromUtf8Lossy(argv[i]);
            return false;
        }
        arguments.push_back(cp932);
    }
    return true;
}

bool StandardOutputIsTerminal() { return isatty(STDOUT_FILENO) != 0; }

std::string OwnExecutablePath() {
    char buffer[PATH_MAX + 1];
    const ssize_t n = readlink("/proc/self/exe", buffer, PATH_MAX);
    if (n <= 0) return {};
    std::string cp932;
    return Cp932FromUtf8(std::string(buffer, static_cast<size_t>(n)), cp932) ? cp932 : std::string();
}

}  // namespace platform
