// SPDX-License-Identifier: MIT
#include "util/Glob.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

// The code points of a UTF-8 text; a stray byte stands for itself. A
// character is taken only when all its bytes continue it, so that no "/"
// is ever taken into one: a name's folders then decode as the name does.
std::u32string CodePoints(std::string_view text) {
    std::u32string points;
    for (size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        size_t n = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        for (size_t k = 1; k < n && i + k < text.size(); ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) n = 1;
        }
        if (n == 1 || i + n > text.size()) {
            points += b;
            ++i;
            continue;
        }
        char32_t c = b & (0x7F >> n);
        for (size_t k = 1; k < n; ++k) c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        points += c;
        i += n;
    }
    return points;
}

// Matches c against the set that starts at pattern[p] (behind the "[");
// end is set behind the closing "]". False with end = 0 when unclosed.
bool InSet(const std::u32string& pattern, size_t p, char32_t c, size_t& end) {
    bool negate = false;
    if (p < pattern.size() && (pattern[p] == U'!' || pattern[p] == U'^')) {
        negate = true;
        ++p;
    }
    bool found = false;
    for (bool first = true; p < pattern.size(); first = false) {
        if (pattern[p] == U']' && !first) {
            end = p + 1;
            return found != negate;
        }
        const char32_t low = pattern[p];
        if (p + 2 < pattern.size() && pattern[p + 1] == U'-' && pattern[p + 2] != U']') {
            found = found || (low <= c && c <= pattern[p + 2]);
            p += 3;
        } else {
            found = found || low == c;
            ++p;
        }
    }
    end = 0;
    return false;
}

// matches[i] tells whether the pattern matches the first i characters of
// name; each entry depends on those characters alone.
std::vector<char> PrefixMatches(const std::u32string& pattern, const std::u32string& name) {
    // matches[i]: the pattern read so far matches the first i characters.
    std::vector<char> matches(name.size() + 1, 0), next(name.size() + 1);
    matches[0] = 1;
    for (size_t p = 0; p < pattern.size();) {
        std::fill(next.begin(), next.end(), 0);
        const char32_t token = pattern[p];
        if (token == U'*') {
            const bool crossing = p + 1 < pattern.size() && pattern[p + 1] == U'*';
            char reach = 0;
            for (size_t i = 0; i <= name.size(); ++i) {
                reach = reach || matches[i];
                next[i] = reach;
                if (i < name.size() && name[i] == U'/' && !crossing) reach = 0;
            }
            p += crossing ? 2 : 1;
        } else {
            size_t setEnd = 0;
            if (token == U'[') InSet(pattern, p + 1, 0, setEnd);
            const bool escaped = token == U'\\' && p + 1 < pattern.size();
            for (size_t i = 0; i < name.size(); ++i) {
                if (!matches[i]) continue;
                const char32_t c = name[i];
                size_t ignored = 0;
                if (token == U'?') next[i + 1] = c != U'/';
                else if (setEnd != 0) next[i + 1] = c != U'/' && InSet(pattern, p + 1, c, ignored);
                else if (escaped) next[i + 1] = c == pattern[p + 1];
                else next[i + 1] = c == token;  // an unclosed "[" stands for itself
            }
            p = setEnd != 0 ? setEnd : escaped ? p + 2 : p + 1;
        }
        matches.swap(next);
    }
    return matches;
}

}  // namespace

bool GlobMatch(std::string_view pattern, std::string_view name) {
    const std::u32string points = CodePoints(name);
    return PrefixMatches(CodePoints(pattern), points)[points.size()] != 0;
}

bool GlobSelects(std::string_view pattern, std::string_view name) {
    const std::u32string points = CodePoints(name);
    const std::vector<char> matches = PrefixMatches(CodePoints(pattern), points);
    if (matches[points.size()]) return true;
    for (size_t i = 0; i < points.size(); ++i) {
        if (points[i] == U'/' && matches[i]) return true;
    }
    return false;
}
