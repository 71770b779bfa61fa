#pragma once

#include <cstddef>
#include <string>

namespace platform {

// A file written under a temporary name beside its target (a UTF-8 path)
// and renamed onto the target only by Commit. Destroyed without a commit,
// the temporary file is removed and an existing target stays as it was.
class ReplacingFile {
public:
    ReplacingFile() = default;
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;
    ~ReplacingFile();

    bool Open(const std::string& target);
    bool Write(const void* data, size_t size);
    bool Commit();

private:
    int fd_ = -1;
    std::string target_;
    std::string temporary_;
};

}  // namespace platform
