// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace platform {

// CP932 <-> UTF-8; false when a character has no form in the other encoding.
bool Cp932FromUtf8(std::string_view utf8, std::string& cp932);
bool Utf8FromCp932(std::string_view cp932, std::string& utf8);

// As above, with '?' for every character that cannot be converted.
std::string Cp932FromUtf8Lossy(std::string_view utf8);
std::string Utf8FromCp932Lossy(std::string_view cp932);

}  // namespace platform
