// SPDX-License-Identifier: MIT
// libFuzzer target: any bytes as a stored name, normalised and escaped as
// the decoder does. The host form never holds a control character, always
// converts to UTF-8, and a name judged safe never leaves the folder.
#include <cstdint>
#include <string>

#include "archive/StoredName.h"
#include "platform/Encoding.h"
#include "util/PathSeparator.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string stored(reinterpret_cast<const char*>(data), size);
    if (stored.find('\0') != std::string::npos) return 0;  // a name ends at its first zero byte
    const std::string name = EscapeName(NormaliseSeparators(stored, PathSeparator));
    for (const char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) __builtin_trap();
    }
    std::string utf8;
    if (!platform::Utf8FromCp932(name, utf8)) __builtin_trap();
    if (IsSafeName(name, PathSeparator)) {
        if (name[0] == PathSeparator || utf8[0] == '/' || utf8.find("/../") != std::string::npos ||
            utf8.rfind("../", 0) == 0 || utf8 == ".." || (utf8.size() >= 3 && utf8.compare(utf8.size() - 3, 3, "/..") == 0)) {
            __builtin_trap();
        }
    }
    return 0;
}
