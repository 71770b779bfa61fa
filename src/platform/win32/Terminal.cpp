// SPDX-License-Identifier: MIT
#include <windows.h>
#include <conio.h>
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>
#include <algorithm>
#include <cstdlib>

#include "platform/Terminal.h"
#include "platform/win32/WidePath.h"

namespace platform {
namespace {

std::string Utf8(const wchar_t* wide) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) return {};
    std::string text(static_cast<size_t>(n - 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), n, nullptr, nullptr);
    return text;
}

bool IsConsole(DWORD which) {
    DWORD mode;
    return GetConsoleMode(GetStdHandle(which), &mode) != 0;
}

void WriteText(DWORD which, std::FILE* stream, std::string_view utf8) {
    if (IsConsole(which)) {
        std::fflush(stream);
        const std::wstring wide = WideFromUtf8(utf8);
        DWORD written;
        WriteConsoleW(GetStdHandle(which), wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    std::fwrite(utf8.data(), 1, utf8.size(), stream);
}

}  // namespace

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    std::vector<std::string> arguments;
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide) return std::vector<std::string>(argv, argv + argc);
    for (int i = 0; i < count; ++i) arguments.push_back(Utf8(wide[i]));
    LocalFree(wide);
    return arguments;
}

std::optional<std::string> EnvironmentVariable(const char* name) {
    const std::wstring wideName = WideFromUtf8(name);
    const wchar_t* value = _wgetenv(wideName.c_str());
    if (!value) return std::nullopt;
    return Utf8(value);
}

bool ReadStandardInput(std::vector<unsigned char>& bytes) {
    _setmode(_fileno(stdin), _O_BINARY);
    unsigned char chunk[65536];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, stdin)) > 0;) bytes.insert(bytes.end(), chunk, chunk + n);
    return !std::ferror(stdin);
}

bool WriteStandardOutput(const void* data, size_t size) {
    _setmode(_fileno(stdout), _O_BINARY);
    return std::fwrite(data, 1, size, stdout) == size;
}

void WriteTextOut(std::string_view utf8) { WriteText(STD_OUTPUT_HANDLE, stdout, utf8); }

void WriteTextError(std::string_view utf8) {
    WriteText(STD_ERROR_HANDLE, stderr, utf8);
    std::fflush(stderr);
}

bool FlushStandardOutput() { return std::fflush(stdout) == 0 && !std::ferror(stdout); }

bool IsExistingFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(WideFromUtf8(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::string> ExpandFileOperand(const std::string& operand) {
    const size_t partStart = operand.find_last_of("\\/:") + 1;
    if (operand.find_first_of("*?", partStart) == std::string::npos || IsExistingFile(operand)) return {operand};
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(WideFromUtf8(operand).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return {operand};
    std::vector<std::string> files;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            files.push_back(operand.substr(0, partStart) + Utf8(found.cFileName));
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    if (files.empty()) return {operand};
    std::sort(files.begin(), files.end());
    return files;
}

bool StandardErrorIsTerminal() { return IsConsole(STD_ERROR_HANDLE); }
bool StandardInputIsTerminal() { return IsConsole(STD_INPUT_HANDLE); }

bool AskTerminal(std::string_view prompt, bool secret, std::string& answer) {
    if (!StandardInputIsTerminal()) return false;
    WriteTextError(prompt);
    std::wstring line;
    for (;;) {
        const wint_t key = secret ? _getwch() : _getwche();
        if (key == L'\r' || key == L'\n') break;
        if (key == 3 || key == WEOF) return false;  // Ctrl+C or the end of input
        if (key == 8) {
            if (!line.empty()) line.pop_back();
            continue;
        }
        if (key == 0 || key == 0xE0) {
            _getwch();  // the second code of a function or arrow key
            continue;
        }
        line += static_cast<wchar_t>(key);
    }
    WriteTextError("\n");
    answer = Utf8(line.c_str());
    return true;
}

}  // namespace platform
