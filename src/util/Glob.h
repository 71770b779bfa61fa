#pragma once

#include <string_view>

// Matches a UTF-8 name against a shell-style pattern: "?" is one character
// and "*" any run of characters, neither crossing "/"; "**" crosses "/";
// "[...]" is one character of a set ("a-z" ranges, "!" or "^" first to
// negate); "\" takes the next character literally.
bool GlobMatch(std::string_view pattern, std::string_view name);
