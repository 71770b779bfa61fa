// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

// text with every control character (below 0x20, and 0x7F) but the line
// feed shown as %XX, for messages that repeat a path or an argument: a
// terminal then shows it and takes no escape sequence from it.
std::string ShownText(std::string_view text);
