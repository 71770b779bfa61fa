// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

#include "archive/NameList.h"

// The entries of an archive: sizes and times inside the expanded directory
// block (converted to host order in place), and the names.
class ArchiveDirectory {
public:
    // Parses the expanded directory block of count entries. False when the
    // block is damaged: too short, a name that does not end inside it, or a
    // negative size.
    bool Build(unsigned char* block, int32_t blockSize, int32_t count);

    int32_t count = 0;
    const int32_t* sizes = nullptr;
    const int32_t* times = nullptr;
    NameList names;
    int32_t largestSize = 0;
    // Set when Build failed for want of memory, not for damage.
    bool outOfMemory = false;
};
