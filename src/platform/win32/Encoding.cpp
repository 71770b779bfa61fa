// SPDX-License-Identifier: MIT
#include <windows.h>

#include "platform/Encoding.h"
#include "platform/win32/WidePath.h"

namespace platform {
namespace {

constexpr UINT kCp932 = 932;

bool WideFrom(UINT codePage, std::string_view text, std::wstring& wide) {
    wide.clear();
    if (text.empty()) return true;
    const int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0);
    if (n <= 0) return false;
    wide.resize(static_cast<size_t>(n));
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return true;
}

bool NarrowFrom(UINT codePage, const std::wstring& wide, std::string& text, bool lossy) {
    text.clear();
    if (wide.empty()) return true;
    BOOL usedDefault = FALSE;
    BOOL* used = codePage == CP_UTF8 ? nullptr : &usedDefault;
    const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int n = WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                      nullptr, used);
    if (n <= 0) return false;
    text.resize(static_cast<size_t>(n));
    WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()), text.data(), n, nullptr, used);
    return lossy || !usedDefault;
}

std::wstring WideLossy(UINT codePage, std::string_view text) {
    std::wstring wide;
    if (text.empty()) return wide;
    const int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (n <= 0) return wide;
    wide.resize(static_cast<size_t>(n));
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}

}  // namespace

std::wstring WideFromUtf8(std::string_view utf8) { return WideLossy(CP_UTF8, utf8); }

bool WideFromCp932(const std::string& text, std::wstring& wide) { return WideFrom(kCp932, text, wide); }
bool Cp932FromWide(const std::wstring& wide, std::string& text) { return NarrowFrom(kCp932, wide, text, false); }

bool Cp932FromUtf8(std::string_view utf8, std::string& cp932) {
    std::wstring wide;
    return WideFrom(CP_UTF8, utf8, wide) && NarrowFrom(kCp932, wide, cp932, false);
}

bool Utf8FromCp932(std::string_view cp932, std::string& utf8) {
    std::wstring wide;
    return WideFrom(kCp932, cp932, wide) && NarrowFrom(CP_UTF8, wide, utf8, false);
}

std::string Cp932FromUtf8Lossy(std::string_view utf8) {
    std::string text;
    NarrowFrom(kCp932, WideLossy(CP_UTF8, utf8), text, true);
    return text;
}

std::string Utf8FromCp932Lossy(std::string_view cp932) {
    std::string text;
    NarrowFrom(CP_UTF8, WideLossy(kCp932, cp932), text, true);
    return text;
}

}  // namespace platform
