// SPDX-License-Identifier: MIT
// libFuzzer target: a pattern, a name and a folder count, as qx extract
// selects and strips names. Selection must agree with matching the name
// and each of its folders on their own; what stripping leaves is the end of
// the name, starts at a name part, and has lost exactly the folders asked.
#include <cstdint>
#include <string>

#include "util/Glob.h"
#include "util/StripFolders.h"

namespace {

// Folder names (not empty, not ".") in text, up to its last '/'.
unsigned long Folders(const std::string& text) {
    unsigned long folders = 0;
    size_t start = 0;
    for (size_t slash; (slash = text.find('/', start)) != std::string::npos; start = slash + 1) {
        const std::string part = text.substr(start, slash - start);
        folders += !part.empty() && part != ".";
    }
    return folders;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const std::string input(reinterpret_cast<const char*>(data + 1), size - 1);
    const size_t split = input.find('\0');
    if (split == std::string::npos || input.size() > 600) return 0;
    const std::string pattern = input.substr(0, split);
    const std::string name = input.substr(split + 1);

    bool expected = GlobMatch(pattern, name);
    for (size_t slash = name.find('/'); slash != std::string::npos; slash = name.find('/', slash + 1)) {
        expected = expected || GlobMatch(pattern, name.substr(0, slash));
    }
    if (GlobSelects(pattern, name) != expected) __builtin_trap();

    const unsigned long count = data[0] % 8;
    const std::string left = StripFolders(name, count);
    if (left.empty()) return 0;
    if (left.size() > name.size() || name.compare(name.size() - left.size(), left.size(), left) != 0) __builtin_trap();
    if (left[0] == '/' || left.rfind("./", 0) == 0) __builtin_trap();
    const std::string dropped = name.substr(0, name.size() - left.size());
    if (Folders(dropped) != count) __builtin_trap();
    return 0;
}
