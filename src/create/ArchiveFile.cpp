#include "create/ArchiveFile.h"

#include "extract/OutputFile.h"
#include "platform/Files.h"
#include "util/FileHolder.h"

bool WriteFileAtomically(const std::string& target, const std::vector<uint8_t>& bytes) {
    const std::string temporary = target + ".qxenc-partial";
    {
        OutputFile file;
        if (!file.Open(temporary)) return false;
        if (file.Write(bytes.data(), bytes.size()) != bytes.size()) return false;  // removed as it closes
        file.Close();
    }
    if (platform::RenameFile(temporary, target)) return true;
    platform::RemoveFile(temporary);
    return false;
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes) {
    platform::FileStatus status;
    if (!platform::Stat(path, status) || status.isDirectory) return false;
    FileHolder file(platform::OpenForReading(path));
    if (!file.Get()) return false;
    bytes.resize(static_cast<size_t>(status.size));
    return platform::ReadFile(file.Get(), bytes.data(), bytes.size()) == bytes.size();
}
