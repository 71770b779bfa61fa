// SPDX-License-Identifier: MIT
#pragma once

// Writing files below an output folder without ever leaving it. Paths here
// are UTF-8, the form of the library and of qx.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/Files.h"

namespace platform {

struct OutputRequest {
    bool replace = false;        // replace an existing regular file
    bool skipIdentical = false;  // keep an existing file with the same size, time and bytes
    bool createFolder = true;    // make the output folder itself when it is missing
    int64_t time = 0;            // modification time to give the file
};

enum class OutputResult {
    Written,
    SkippedExisting,
    SkippedIdentical,
    InTheWay,      // a link, or something other than a folder or regular file, at parts[failedPart]
    ReadOnly,      // the existing file is read-only
    FolderFailed,  // the folder parts[failedPart] cannot be made
    CreateFailed,  // the file cannot be created
    WriteFailed,   // its bytes cannot all be written
};

struct OutputOutcome {
    OutputResult result = OutputResult::Written;
    size_t failedPart = 0;
    bool timeSet = true;  // false when the file was written but its time could not be set
};

// A part that names one entry of a folder: not empty, not "." or "..",
// and with no separator of the host ('/', and on Windows '\\' and ':').
bool IsPlainPart(const std::string& part);

// Writes the files of one job. The folder that took the last file stays
// open, so that the next file for the same folder is written without
// walking there again. A tree lives for one job only: a folder moved away
// while it is open would go on taking that folder's files.
class OutputTree {
public:
    OutputTree();
    ~OutputTree();
    OutputTree(const OutputTree&) = delete;
    OutputTree& operator=(const OutputTree&) = delete;

    // Writes data as the file folder/parts[0]/.../parts[n-1], creating folder
    // (when missing) and the folders between. Below folder no symbolic link or
    // other reparse point is followed (InTheWay), and only a regular file is
    // ever replaced. The bytes go to a temporary file in the same folder that
    // is renamed over the target only when complete; on any failure it is
    // removed and an existing target is left as it was. A read-only file is
    // never replaced.
    OutputOutcome Write(const std::string& folder, const std::vector<std::string>& parts, const void* data,
                        size_t size, const OutputRequest& request);

private:
    void Forget();

    std::string openFolder;             // the output folder, and
    std::vector<std::string> openParts;  // the parts below it, of the open folder
    int openDescriptor = -1;             // that folder's descriptor, where the host keeps one
    uint64_t seed = 0;                   // for the names of temporary files
};

// Writes one file as OutputTree::Write does.
inline OutputOutcome WriteFileBelow(const std::string& folder, const std::vector<std::string>& parts,
                                    const void* data, size_t size, const OutputRequest& request) {
    return OutputTree().Write(folder, parts, data, size, request);
}

// Opens the regular file folder/parts... for reading without following any
// link below folder; status gets its size and time. Null when it cannot be
// opened; present tells whether anything at all is at that place.
std::FILE* OpenFileBelow(const std::string& folder, const std::vector<std::string>& parts, FileStatus& status,
                         bool& present);

// Opens a regular file for reading by its UTF-8 path; null when it cannot
// be opened or is not a regular file (a folder, a pipe, a device).
std::FILE* OpenUtf8ForReading(const std::string& path);

}  // namespace platform
