#pragma once

#include <cstdint>
#include <string>

#include "archive/NameList.h"
#include "dialog/UserDialog.h"

namespace platform {
class OutputTree;
}

// The entries of an archive: sizes and times inside the expanded directory
// block (converted to host order in place), and the names.
class ArchiveDirectory {
public:
    explicit ArchiveDirectory(UserDialog* dialog) : dialog(dialog) {}

    // Parses the expanded directory block of count entries. False when the
    // block is damaged: too short, a name that does not end inside it, or a
    // negative size.
    bool Build(unsigned char* block, int32_t blockSize, int32_t count);

    // Restores entry k, whose name (names[k]) the caller has looked up,
    // under outputDir from its expanded bytes through the job's output
    // tree; 0 or -1.
    int WriteEntry(platform::OutputTree& output, const std::string& outputDir, int32_t k, const std::string& name,
                   const unsigned char* data);
    // Compares entry k with the file under outputDir: 1 stop, 0 differed and
    // go on, -1 equal.
    int CompareEntry(const std::string& outputDir, int32_t k, const unsigned char* data);

    int32_t count = 0;
    const int32_t* sizes = nullptr;
    const int32_t* times = nullptr;
    NameList names;
    int32_t largestSize = 0;
    UserDialog* dialog;
    // Set when CompareEntry stopped on a failure of its own, not an answer.
    bool compareFailed = false;
    // Set when Build failed for want of memory, not for damage.
    bool outOfMemory = false;
};
