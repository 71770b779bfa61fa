// SPDX-License-Identifier: MIT
#include "FuzzSupport.h"

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "archive/ArchiveHeader.h"
#include "archive/MemoryInputStream.h"
#include "qx1.h"

namespace fuzz {

bool WithinBounds(const uint8_t* data, size_t size) {
    MemoryInputStream stream(data, size);
    ArchiveHeader header;
    if (FindArchiveHeader(stream, header) != HeaderSearch::Found) return true;
    if (header.totalSize > kMaxDeclaredBytes || header.directorySize > kMaxDeclaredBytes) return false;
    qx1_archive* archive = nullptr;
    if (qx1_open_memory(data, size, "pw", &archive) != QX1_OK) return true;
    bool small = true;
    for (size_t i = 0; small && i < qx1_entry_count(archive); ++i) {
        small = qx1_entry_at(archive, i)->size <= static_cast<uint64_t>(kMaxDeclaredBytes);
    }
    qx1_close(archive);
    return small;
}

const std::string& PrivateFolder() {
    static const std::string folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "qxfuzz-XXXXXX").string();
        const char* made = mkdtemp(pattern.data());
        return std::string(made ? made : ".") + "/";
    }();
    return folder;
}

}  // namespace fuzz
