#pragma once

#include <string>

#include "archive/InputStream.h"
#include "util/FileHolder.h"

// The archive file; every byte it delivers is combined with the password key.
class FileInputStream : public InputStream {
public:
    explicit FileInputStream(const std::string& path);
    int32_t Read(unsigned char* buffer, int32_t count) override;

    FileHolder file;
    unsigned char key[4] = {0, 0, 0, 0};  // most significant byte first
};
