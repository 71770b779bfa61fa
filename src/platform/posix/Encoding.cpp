// SPDX-License-Identifier: MIT
#include "platform/Encoding.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

#include "util/Ascii.h"

namespace platform {
namespace {

enum class Direction { ToCp932, ToUtf8 };

// An iconv descriptor, closed when its thread ends.
struct Converter {
    Converter(const char* to, const char* from) : cd(iconv_open(to, from)) {}
    ~Converter() {
        if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
    }
    iconv_t cd;
};

// One conversion descriptor per direction and thread, opened on first use
// and kept: every console line passes through here, and a descriptor holds
// state that two threads must not share.
iconv_t Descriptor(Direction direction) {
    if (direction == Direction::ToCp932) {
        thread_local const Converter toCp932("CP932", "UTF-8");
        return toCp932.cd;
    }
    thread_local const Converter toUtf8("UTF-8", "CP932");
    return toUtf8.cd;
}

// Converts a whole text with iconv; false when any character has no form.
bool Convert(Direction direction, std::string_view input, std::string& output) {
    // The ASCII bytes are the same characters in both encodings, so a text
    // of them alone (most console lines: plain names and numbers) is its
    // own conversion.
    if (IsAscii(input)) {
        output.assign(input);
        return true;
    }
    iconv_t cd = Descriptor(direction);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);  // a fresh shift state
    output.clear();
    std::vector<char> chunk(input.size() * 2 + 16);
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    while (inLeft > 0) {
        char* out = chunk.data();
        size_t outLeft = chunk.size();
        const size_t result = iconv(cd, &in, &inLeft, &out, &outLeft);
        output.append(chunk.data(), out);
        if (result == static_cast<size_t>(-1) && errno != E2BIG) return false;
    }
    return true;
}

// Length of the character that starts at text[i], for the lossy walk.
size_t Utf8CharLength(std::string_view text, size_t i) {
    const auto b = static_cast<unsigned char>(text[i]);
    size_t n = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
    return i + n <= text.size() ? n : 1;
}

size_t Cp932CharLength(std::string_view text, size_t i) {
    const auto b = static_cast<unsigned char>(text[i]);
    const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    return lead && i + 1 < text.size() ? 2 : 1;
}

template <typename Length>
std::string Lossy(Direction direction, std::string_view input, Length length) {
    std::string output;
    if (Convert(direction, input, output)) return output;
    output.clear();
    for (size_t i = 0; i < input.size();) {
        const size_t n = length(input, i);
        std::string piece;
        output += Convert(direction, input.substr(i, n), piece) ? piece : std::string("?");
        i += n;
    }
    return output;
}

}  // namespace

bool Cp932FromUtf8(std::string_view utf8, std::string& cp932) { return Convert(Direction::ToCp932, utf8, cp932); }
bool Utf8FromCp932(std::string_view cp932, std::string& utf8) { return Convert(Direction::ToUtf8, cp932, utf8); }

std::string Cp932FromUtf8Lossy(std::string_view utf8) { return Lossy(Direction::ToCp932, utf8, Utf8CharLength); }
std::string Utf8FromCp932Lossy(std::string_view cp932) { return Lossy(Direction::ToUtf8, cp932, Cp932CharLength); }

}  // namespace platform
