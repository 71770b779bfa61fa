// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

// Replaces "\" and "/" by the host's separator, under the lead-byte rule: the
// second byte of a double-byte character is never changed.
std::string NormaliseSeparators(std::string_view name, char separator);

// The name as the host shows and writes it: every character with no Unicode
// form, and every control character (below 0x20, and 0x7F), becomes %XX per
// byte, and then "%" itself becomes %25; a name that needs no escape is
// returned as it stands. Characters are split by the lead-byte rule, as
// every path walk splits them, so a separator is never taken into a
// character, nor a character's byte taken for a separator.
std::string EscapeName(std::string_view name);

// What makes a normalised name unusable as an output path.
enum class NameFault {
    None,
    Empty,
    Absolute,            // starts with a separator
    Drive,               // a letter and ':' in front
    ParentFolder,        // a ".." component
    Colon,               // ':' elsewhere (Windows: alternate data streams)
    DeviceName,          // CON, NUL, COM1, ... (Windows)
    TrailingDotOrSpace,  // a component ending so (Windows drops them)
    TooLong,             // a component longer than the host allows
    NoFileName,          // the last component is empty, "." or ".." (CheckEntryName only)
};

// Checks a normalised name. windowsRules adds the faults that only Windows
// has (':', device names, trailing dots and spaces); a drive prefix, ".."
// and absolute names are faults everywhere.
NameFault CheckStoredName(const std::string& name, char separator, bool windowsRules);

// True when the name has no fault on this host.
bool IsSafeName(const std::string& name, char separator);

// The library's check of a name in the host's form: CheckStoredName with
// this host's rules, and then NoFileName for a name that, separators at its
// end aside, ends in no file name.
NameFault CheckEntryName(const std::string& hostName);
