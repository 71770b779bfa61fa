// SPDX-License-Identifier: MIT
#include "platform/Terminal.h"

#include <termios.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace platform {

std::vector<std::string> Utf8Arguments(int argc, char** argv) { return std::vector<std::string>(argv, argv + argc); }

std::optional<std::string> EnvironmentVariable(const char* name) {
    const char* value = std::getenv(name);
    if (!value) return std::nullopt;
    return std::string(value);
}

bool ReadStandardInput(std::vector<unsigned char>& bytes) {
    unsigned char chunk[65536];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, stdin)) > 0;) bytes.insert(bytes.end(), chunk, chunk + n);
    return !std::ferror(stdin);
}

bool WriteStandardOutput(const void* data, size_t size) { return std::fwrite(data, 1, size, stdout) == size; }

void WriteTextOut(std::string_view utf8) { std::fwrite(utf8.data(), 1, utf8.size(), stdout); }

void WriteTextError(std::string_view utf8) {
    std::fwrite(utf8.data(), 1, utf8.size(), stderr);
    std::fflush(stderr);
}

bool FlushStandardOutput() { return std::fflush(stdout) == 0 && !std::ferror(stdout); }

bool IsExistingFile(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

std::vector<std::string> ExpandFileOperand(const std::string& operand) { return {operand}; }

bool StandardErrorIsTerminal() { return isatty(STDERR_FILENO) != 0; }
bool StandardInputIsTerminal() { return isatty(STDIN_FILENO) != 0; }

bool AskTerminal(std::string_view prompt, bool secret, std::string& answer) {
    if (!StandardInputIsTerminal()) return false;
    WriteTextError(prompt);
    termios saved {};
    const bool quiet = secret && tcgetattr(STDIN_FILENO, &saved) == 0;
    if (quiet) {
        termios silent = saved;
        silent.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &silent);
    }
    answer.clear();
    bool ended = false;
    for (;;) {
        char byte;
        const ssize_t n = read(STDIN_FILENO, &byte, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ended = true;
            break;
        }
        if (byte == '\n') break;
        if (byte != '\r' && answer.size() < 4096) answer += byte;
    }
    if (quiet) {
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
        WriteTextError("\n");
    }
    return !ended || !answer.empty();
}

}  // namespace platform
