// SPDX-License-Identifier: MIT
#pragma once

#include <cstdio>

#include "platform/Files.h"

// Owns one open stdio stream; releasing it closes the stream.
class FileHolder {
public:
    FileHolder() = default;
    explicit FileHolder(std::FILE* file) : file_(file) {}
    FileHolder(const FileHolder&) = delete;
    FileHolder& operator=(const FileHolder&) = delete;
    ~FileHolder() { Release(); }

    void Reset(std::FILE* file) {
        Release();
        file_ = file;
    }
    void Release() {
        if (file_) platform::CloseFile(file_);
        file_ = nullptr;
    }
    std::FILE* Get() const { return file_; }

private:
    std::FILE* file_ = nullptr;
};
