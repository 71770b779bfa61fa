// SPDX-License-Identifier: MIT
#include "archive/StoredName.h"

#include <cctype>

#include "platform/Encoding.h"
#include "platform/Files.h"
#include "util/Ascii.h"
#include "util/PathSeparator.h"
#include "util/LeadByte.h"

namespace {

bool IsControl(unsigned char byte) { return byte < 0x20 || byte == 0x7F; }

// The characters of a name are split by the lead-byte rule, as every path
// walk splits them, so that escaping can never move a separator.
size_t CharacterLength(std::string_view name, size_t i) {
    return IsLeadByte(static_cast<unsigned char>(name[i])) && i + 1 < name.size() ? 2 : 1;
}

// True when the host's converter would split the name into the same
// characters as the lead-byte rule: code page 932 also takes 0xF0-0xFC as
// first bytes, the rule does not.
bool SplitsAlike(std::string_view name) {
    for (size_t i = 0; i < name.size(); i += CharacterLength(name, i)) {
        const auto byte = static_cast<unsigned char>(name[i]);
        if (byte >= 0xF0 && byte <= 0xFC) return false;
    }
    return true;
}

void AppendEscaped(std::string& out, unsigned char byte) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += '%';
    out += kHex[byte >> 4];
    out += kHex[byte & 15];
}

}  // namespace

std::string NormaliseSeparators(std::string_view name, char separator) {
    std::string result(name);
    for (size_t i = 0; i < result.size(); ++i) {
        if (result[i] == '\\' || result[i] == '/') result[i] = separator;
        if (IsLeadByte(static_cast<unsigned char>(result[i]))) ++i;
    }
    return result;
}

namespace {

// A Windows device name, also with an extension: CON, CON.txt, com1.log.
bool IsDeviceName(std::string_view component) {
    std::string base(component.substr(0, component.find('.')));
    for (char& c : base) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"}) {
        if (base == device) return true;
    }
    return base.size() == 4 && (base.rfind("COM", 0) == 0 || base.rfind("LPT", 0) == 0) && base[3] >= '1' &&
           base[3] <= '9';
}

}  // namespace

NameFault CheckStoredName(const std::string& name, char separator, bool windowsRules) {
    if (name.empty()) return NameFault::Empty;
    if (name[0] == separator) return NameFault::Absolute;
    if (name.size() >= 2 && name[1] == ':' && std::isalpha(static_cast<unsigned char>(name[0]))) return NameFault::Drive;
    size_t start = 0;
    for (size_t i = 0; i <= name.size();) {
        if (i < name.size() && name[i] != separator) {
            if (windowsRules && name[i] == ':') return NameFault::Colon;
            i += IsLeadByte(static_cast<unsigned char>(name[i])) && i + 1 < name.size() ? 2 : 1;
            continue;
        }
        const std::string_view component(name.data() + start, i - start);
        if (component == "..") return NameFault::ParentFolder;
        if (!platform::NameComponentFits(std::string(component))) return NameFault::TooLong;
        if (windowsRules && !component.empty() && component != ".") {
            if (component.back() == '.' || component.back() == ' ') return NameFault::TrailingDotOrSpace;
            if (IsDeviceName(component)) return NameFault::DeviceName;
        }
        start = ++i;
    }
    return NameFault::None;
}

bool IsSafeName(const std::string& name, char separator) {
    return CheckStoredName(name, separator, separator == '\\' && PathSeparator == '\\') == NameFault::None;
}

NameFault CheckEntryName(const std::string& hostName) {
    if (const NameFault fault = CheckStoredName(hostName, PathSeparator, PathSeparator == '\\'); fault != NameFault::None) {
        return fault;
    }
    // The last component that is not empty, walked under the lead-byte rule
    // (a separator's byte may be the second byte of a character).
    std::string_view last;
    for (size_t i = 0, start = 0; i <= hostName.size();) {
        if (i == hostName.size() || hostName[i] == PathSeparator) {
            if (i > start) last = std::string_view(hostName).substr(start, i - start);
            start = ++i;
            continue;
        }
        i += IsLeadByte(static_cast<unsigned char>(hostName[i])) && i + 1 < hostName.size() ? 2 : 1;
    }
    return last.empty() || last == "." || last == ".." ? NameFault::NoFileName : NameFault::None;
}

std::string EscapeName(std::string_view name) {
    // Most names are plain ASCII, which needs neither escape nor converter.
    if (IsPrintableAscii(name)) return std::string(name);
    std::string converted;
    bool plain = SplitsAlike(name) && platform::Utf8FromCp932(name, converted);
    for (size_t i = 0; plain && i < name.size(); ++i) plain = !IsControl(static_cast<unsigned char>(name[i]));
    if (plain) return std::string(name);
    std::string escaped;
    for (size_t i = 0; i < name.size();) {
        const size_t n = CharacterLength(name, i);
        const std::string_view character = name.substr(i, n);
        const auto first = static_cast<unsigned char>(character[0]);
        if (first == '%') {
            escaped += "%25";
        } else if ((n == 1 && IsControl(first)) || !platform::Utf8FromCp932(character, converted) || converted.empty()) {
            AppendEscaped(escaped, first);
            // A plain ASCII second byte stays readable; any other is escaped
            // too, so that it can never act as a separator or a lead byte.
            if (n == 2) {
                const auto second = static_cast<unsigned char>(character[1]);
                if (second == '%') escaped += "%25";
                else if (second < 0x80 && !IsControl(second) && second != '\\' && second != '/') escaped += character[1];
                else AppendEscaped(escaped, second);
            }
        } else {
            escaped += character;
        }
        i += n;
    }
    return escaped;
}
