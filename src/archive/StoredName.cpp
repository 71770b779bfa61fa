#include "archive/StoredName.h"

#include "platform/Encoding.h"
#include "util/LeadByte.h"

namespace {

bool IsControl(unsigned char byte) { return byte < 0x20 || byte == 0x7F; }

// Bytes 0xF0-0xFC start a character of code page 932 too (user-defined and
// extension characters); one is taken with its second byte unless that is a
// separator.
size_t CharacterLength(std::string_view name, size_t i) {
    const auto byte = static_cast<unsigned char>(name[i]);
    if (i + 1 >= name.size()) return 1;
    if (IsLeadByte(byte)) return 2;
    const auto next = static_cast<unsigned char>(name[i + 1]);
    const bool trail = next >= 0x40 && next <= 0xFC && next != 0x7F && next != '\\';
    return byte >= 0xF0 && byte <= 0xFC && trail ? 2 : 1;
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

bool IsSafeName(const std::string& name, char separator) {
    if (name.empty() || name[0] == separator) return false;
    size_t componentStart = 0;
    for (size_t i = 0; i <= name.size(); ++i) {
        if (i == name.size() || name[i] == separator) {
            if (name.compare(componentStart, i - componentStart, "..") == 0) return false;
            componentStart = i + 1;
            continue;
        }
        if (name[i] == ':') return false;
        if (IsLeadByte(static_cast<unsigned char>(name[i])) && i + 1 < name.size()) ++i;
    }
    return true;
}

std::string EscapeName(std::string_view name) {
    std::string converted;
    bool plain = platform::Utf8FromCp932(name, converted);
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
