// SPDX-License-Identifier: MIT
#include "api/EntryFile.h"

#include <string>
#include <vector>

#include "api/ReadResult.h"
#include "platform/OutputTree.h"
#include "util/PathSeparator.h"

namespace {

// The folders and file name of a relative output path given by the caller,
// or false when the path would lead outside the output folder or names no
// file (it ends in a separator).
bool SplitOutputPath(const std::string& path, std::vector<std::string>& parts) {
    parts.clear();
    if (path.empty() || path[0] == '/' || path[0] == PathSeparator) return false;
    if (path.back() == '/' || path.back() == PathSeparator) return false;
    if (path.size() >= 2 && path[1] == ':') return false;  // a drive prefix
    size_t start = 0;
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != '/' && path[i] != PathSeparator) continue;
        const std::string part = path.substr(start, i - start);
        start = i + 1;
        if (part == "..") return false;
        if (!part.empty() && part != ".") parts.push_back(part);
    }
    return !parts.empty();
}

}  // namespace

int ExtractEntryFile(ArchiveReader& reader, const qx1_entry& entry, size_t index, const char* dir, const char* path,
                     unsigned flags) {
    if (!path && (entry.flags & QX1_ENTRY_UNSAFE)) return QX1_E_UNSAFE_NAME;
    std::vector<std::string> parts;
    if (!SplitOutputPath(path ? path : entry.name, parts)) return QX1_E_UNSAFE_NAME;
    const unsigned char* data = nullptr;
    size_t size = 0;
    if (const int result = FromReadFault(reader.EntryData(index, data, size)); result != QX1_OK) return result;
    platform::OutputRequest request;
    request.replace = (flags & QX1_REPLACE) != 0;
    request.skipIdentical = (flags & QX1_SKIP_IDENTICAL) != 0;
    request.time = entry.mtime;
    switch (platform::WriteFileBelow(dir, parts, data, size, request).result) {
        case platform::OutputResult::Written:
            return QX1_OK;
        case platform::OutputResult::SkippedExisting:
            return QX1_SKIPPED_EXISTING;
        case platform::OutputResult::SkippedIdentical:
            return QX1_SKIPPED_IDENTICAL;
        case platform::OutputResult::InTheWay:
            return QX1_E_IN_THE_WAY;
        case platform::OutputResult::ReadOnly:
            return QX1_E_READ_ONLY;
        default:
            break;
    }
    return QX1_E_WRITE;
}
