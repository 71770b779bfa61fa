// SPDX-License-Identifier: MIT
#include "archive/FileInputStream.h"

#include "platform/Files.h"

FileInputStream::FileInputStream(const std::string& path) : file(platform::OpenForReading(path)) {}

size_t FileInputStream::ReadRaw(unsigned char* buffer, size_t count) {
    return file.Get() ? platform::ReadFile(file.Get(), buffer, count) : 0;
}

bool FileInputStream::Seek(int64_t offset, int origin) {
    return file.Get() && platform::SeekFile(file.Get(), offset, origin);
}

int64_t FileInputStream::Tell() { return file.Get() ? platform::TellFile(file.Get()) : -1; }
