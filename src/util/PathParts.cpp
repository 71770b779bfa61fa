// SPDX-License-Identifier: MIT
#include "util/PathParts.h"

#include "util/LeadByte.h"
#include "util/PathSeparator.h"

PathParts::PathParts(std::string_view path) : full(path) {
    size_t split = 0;
    size_t i = 0;
    while (i < path.size()) {
        const auto byte = static_cast<unsigned char>(path[i]);
        if (byte == static_cast<unsigned char>(PathSeparator)) split = i + 1;
        // A lone lead byte at the end counts as a character of its own.
        i += (IsLeadByte(byte) && i + 1 < path.size()) ? 2 : 1;
    }
    directory.assign(path.substr(0, split));
    fileName.assign(path.substr(split));
}
