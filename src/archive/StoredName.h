#pragma once

#include <string>
#include <string_view>

// Replaces "\" and "/" by the host's separator, under the lead-byte rule: the
// second byte of a double-byte character is never changed.
std::string NormaliseSeparators(std::string_view name, char separator);

// True when a normalised name stays inside the output folder: not empty,
// relative, no drive prefix or ':' and no ".." component.
bool IsSafeName(const std::string& name, char separator);
