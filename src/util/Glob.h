// SPDX-License-Identifier: MIT
#pragma once

#include <string_view>

// Matches a UTF-8 name against a shell-style pattern: "?" is one character
// and "*" any run of characters, neither crossing "/"; "**" crosses "/";
// "[...]" is one character of a set ("a-z" ranges, "!" or "^" first to
// negate); "\" takes the next character literally.
bool GlobMatch(std::string_view pattern, std::string_view name);

// True when pattern matches name or one of the folders that hold it (name
// up to one of its "/"); one pass over the name, however deep it is.
bool GlobSelects(std::string_view pattern, std::string_view name);
