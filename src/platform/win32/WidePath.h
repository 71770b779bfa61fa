// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace platform {

// A CP932 text in UTF-16 for the wide API; false when it has no such form.
bool WideFromCp932(const std::string& text, std::wstring& wide);
// UTF-8 in UTF-16, for the paths and texts of the library and qx; a byte
// that is not UTF-8 becomes U+FFFD.
std::wstring WideFromUtf8(std::string_view utf8);
// UTF-16 back to CP932; false when a character has no CP932 form.
bool Cp932FromWide(const std::wstring& wide, std::string& text);

}  // namespace platform
