#pragma once

// Writing files below an output folder without ever leaving it. Paths here
// are UTF-8, the form of the library and of qx.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace platform {

struct OutputRequest {
    bool replace = false;        // replace an existing regular file
    bool skipIdentical = false;  // keep an existing file with the same size, time and bytes
    int64_t time = 0;            // modification time to give the file
};

enum class OutputResult { Written, SkippedExisting, SkippedIdentical, InTheWay, ReadOnly, Failed };

// Writes data as the file folder/parts[0]/.../parts[n-1], creating folder
// (when missing) and the folders between. Below folder no symbolic link or
// other reparse point is followed (InTheWay), and only a regular file is
// ever replaced. The bytes go to a temporary file in the same folder that
// is renamed over the target only when complete; on any failure it is
// removed and an existing target is left as it was. A read-only file is
// never replaced.
OutputResult WriteFileBelow(const std::string& folder, const std::vector<std::string>& parts, const void* data,
                            size_t size, const OutputRequest& request);

// Opens a regular file for reading by its UTF-8 path; null when it cannot
// be opened or is not a regular file (a folder, a pipe, a device).
std::FILE* OpenUtf8ForReading(const std::string& path);

}  // namespace platform
