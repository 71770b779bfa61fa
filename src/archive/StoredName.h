#pragma once

#include <string>
#include <string_view>

// Replaces "\" and "/" by the host's separator, under the lead-byte rule: the
// second byte of a double-byte character is never changed.
std::string NormaliseSeparators(std::string_view name, char separator);

// The name as the host shows and writes it: every character with no Unicode
// form, and every control character (below 0x20, and 0x7F), becomes %XX per
// byte, and then "%" itself becomes %25; a name that needs no escape is
// returned as it stands. Characters are split by the lead-byte rule, so a
// separator is never taken into a character.
std::string EscapeName(std::string_view name);

// True when a normalised name stays inside the output folder: not empty,
// relative, no drive prefix or ':' and no ".." component.
bool IsSafeName(const std::string& name, char separator);
