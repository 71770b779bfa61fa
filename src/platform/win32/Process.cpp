// SPDX-License-Identifier: MIT
#include <windows.h>
#include <shellapi.h>

#include "platform/Encoding.h"
#include "platform/Process.h"
#include "platform/win32/WidePath.h"

namespace platform {

bool CommandLineArguments(int, char**, std::vector<std::string>& arguments, std::string& refused) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide) return false;
    arguments.clear();
    bool ok = true;
    for (int i = 0; i < count && ok; ++i) {
        std::string cp932;
        if (!Cp932FromWide(wide[i], cp932)) {
            std::string utf8;
            const std::wstring text = wide[i];
            const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
            utf8.resize(n > 0 ? static_cast<size_t>(n - 1) : 0);
            if (n > 0) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, utf8.data(), n, nullptr, nullptr);
            // The program's own name only serves to find its file: it is
            // never refused (the module's own path is the fallback).
            if (i == 0) {
                arguments.push_back(Cp932FromUtf8Lossy(utf8));
                continue;
            }
            refused = Cp932FromUtf8Lossy(utf8);
            ok = false;
            break;
        }
        arguments.push_back(cp932);
    }
    LocalFree(wide);
    return ok;
}

bool StandardOutputIsTerminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

std::string OwnExecutablePath() {
    std::wstring buffer(32768, L'\0');
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0 || n >= buffer.size()) return {};
    buffer.resize(n);
    std::string cp932;
    return Cp932FromWide(buffer, cp932) ? cp932 : std::string();
}

}  // namespace platform
