// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <vector>

#include "qx1.h"
#include "reader/ArchiveReader.h"

// The library's list of an archive's entries as qx1_entry records: UTF-8
// names with '/' between folders (a stored name that ends in a separator
// names the file before it) in one arena, the stored bytes, sizes, times,
// blocks and flags. About 48 bytes an entry and the names; made on demand.
class EntryList {
public:
    // Makes the list from reader when it is not made yet; a QX1_ code.
    int Make(ArchiveReader& reader);
    bool Made() const { return !entries.empty(); }
    const qx1_entry& operator[](size_t index) const { return entries[index]; }

private:
    std::vector<qx1_entry> entries;
    std::vector<char> names;  // each name ending in a zero
};

// Why entry index's name is unsafe, in English; null when it is not.
const char* NameProblemText(const ArchiveReader& reader, size_t index);
