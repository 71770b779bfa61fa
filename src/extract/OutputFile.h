#pragma once

#include <cstddef>
#include <string>

#include "platform/Files.h"

// A file being written. One destroyed while still open was not finished:
// it is closed and removed.
class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();

    // Creates or truncates path for writing; false when it cannot.
    bool Open(const std::string& path);
    // One write of the whole count; returns the count written.
    size_t Write(const void* data, size_t count);
    // Closes the file and keeps it.
    void Close();

private:
    platform::OutputHandle handle = nullptr;
    std::string path;
};
