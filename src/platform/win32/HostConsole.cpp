// SPDX-License-Identifier: MIT
#include <windows.h>
#include <conio.h>

#include <cstdio>

#include "platform/HostConsole.h"
#include "platform/win32/WidePath.h"

namespace platform {
namespace {

bool IsConsole(DWORD which) {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(which), &mode) != 0;
}

}  // namespace

// CP932 text to the console of handle through the wide console API, which
// shows it whatever the console's code page; false when handle is no console.
static bool WriteToConsole(DWORD handle, std::string_view text) {
    if (!IsConsole(handle)) return false;
    std::wstring wide;
    if (!WideFromCp932(std::string(text), wide)) {
        for (char c : text) wide += static_cast<unsigned char>(c) < 0x80 ? static_cast<wchar_t>(c) : L'?';
    }
    DWORD written = 0;
    WriteConsoleW(GetStdHandle(handle), wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    return true;
}

void HostConsole::Write(std::string_view text) {
    if (IsConsole(STD_OUTPUT_HANDLE)) std::fflush(stdout);
    if (!WriteToConsole(STD_OUTPUT_HANDLE, text)) std::fwrite(text.data(), 1, text.size(), stdout);
}

void HostConsole::WriteError(std::string_view text) {
    std::fflush(stdout);
    if (WriteToConsole(STD_ERROR_HANDLE, text)) return;
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

void HostConsole::Flush() {
    // A console shows each line as it is printed; a file or a pipe gets the
    // same bytes in larger writes (input is never read before a flush).
    if (IsConsole(STD_OUTPUT_HANDLE)) std::fflush(stdout);
}

int HostConsole::ReadKey() {
    if (!pendingKeys_.empty()) {
        const auto key = static_cast<unsigned char>(pendingKeys_.front());
        pendingKeys_.erase(0, 1);
        return key;
    }
    std::fflush(stdout);
    if (!IsConsole(STD_INPUT_HANDLE)) {
        const int c = std::getchar();
        return c == EOF ? -1 : c;
    }
    const wint_t key = _getwch();
    if (key == 0 || key == 0xE0) {
        // A function or arrow key: the prefix and its code, as _getch gives them.
        pendingKeys_ = std::string(1, static_cast<char>(_getwch() & 0xFF));
        return static_cast<int>(key);
    }
    if (key < 0x80) return static_cast<int>(key);
    std::string cp932;
    if (!Cp932FromWide(std::wstring(1, static_cast<wchar_t>(key)), cp932) || cp932.empty()) return '?';
    pendingKeys_ = cp932.substr(1);
    return static_cast<unsigned char>(cp932[0]);
}

// The console API reads single keys without a mode to leave.
void HostConsole::EndKeys() {}

void HostConsole::DiscardLine() {
    if (IsConsole(STD_INPUT_HANDLE)) return;
    for (int c = std::getchar(); c != EOF && c != '\n'; c = std::getchar()) {
    }
}

bool HostConsole::ReadLine(std::string& line, size_t limit) {
    std::fflush(stdout);
    line.clear();
    if (IsConsole(STD_INPUT_HANDLE)) {
        std::wstring wide;
        wchar_t buffer[256];
        for (;;) {
            DWORD n = 0;
            if (!ReadConsoleW(GetStdHandle(STD_INPUT_HANDLE), buffer, 256, &n, nullptr) || n == 0) {
                if (wide.empty()) return false;
                break;
            }
            wide.append(buffer, n);
            if (wide.back() == L'\n') break;
        }
        while (!wide.empty() && (wide.back() == L'\n' || wide.back() == L'\r')) wide.pop_back();
        if (!Cp932FromWide(wide, line)) line.assign(1, '?');
    } else {
        int c = std::getchar();
        if (c == EOF) return false;
        for (; c != EOF && c != '\n'; c = std::getchar()) {
            if (line.size() <= limit) line += static_cast<char>(c);
        }
        if (!line.empty() && line.back() == '\r') line.pop_back();
    }
    if (line.size() > limit) line.resize(limit);
    return true;
}

}  // namespace platform
