// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "archive/ArchiveStream.h"
#include "platform/FileHolder.h"

// The archive file, opened by its internal (CP932) path or by an open file.
class FileInputStream : public ArchiveStream {
public:
    explicit FileInputStream(const std::string& path);
    explicit FileInputStream(std::FILE* openFile) : file(openFile) {}

    size_t ReadRaw(unsigned char* buffer, size_t count) override;
    bool Seek(int64_t offset, int origin) override;
    int64_t Tell() override;

    FileHolder file;
};
