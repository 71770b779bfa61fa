// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>

#include "api/EntryList.h"
#include "reader/ArchiveReader.h"

// Writes entry index as a file below dir at path (UTF-8, '/' separators;
// null for the entry's own name), under the safety rules of
// qx1_extract_entry. A QX1_ code.
int ExtractEntryFile(ArchiveReader& reader, const qx1_entry& entry, size_t index, const char* dir, const char* path,
                     unsigned flags);
