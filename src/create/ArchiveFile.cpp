// SPDX-License-Identifier: MIT
#include "create/ArchiveFile.h"

#include "platform/Encoding.h"
#include "platform/Files.h"
#include "platform/ReplacingFile.h"
#include "platform/FileHolder.h"

bool WriteFileAtomically(const std::string& target, const std::vector<uint8_t>& bytes, bool executable) {
    std::string host;
    platform::ReplacingFile file;
    return platform::Utf8FromCp932(target, host) && file.Open(host, executable) &&
           file.Write(bytes.data(), bytes.size()) && file.Commit();
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes) {
    platform::FileStatus status;
    if (!platform::Stat(path, status) || !status.isRegular) return false;
    FileHolder file(platform::OpenForReading(path));
    if (!file.Get()) return false;
    // One byte more than the size asks for: a file that grew shows it.
    bytes.resize(static_cast<size_t>(status.size) + 1);
    bytes.resize(platform::ReadFile(file.Get(), bytes.data(), bytes.size()));
    return true;
}
