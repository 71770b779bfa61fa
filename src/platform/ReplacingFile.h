// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace platform {

// A file written under a temporary name beside its target (a UTF-8 path)
// and renamed onto the target only by Commit. Destroyed without a commit,
// the temporary file is removed and an existing target stays as it was.
// A target that is a symbolic link to a regular file is written through
// (the link stays); an existing file keeps its permission bits; a target
// that is no regular file (a device, a pipe) is written straight, with no
// temporary file.
class ReplacingFile {
public:
    ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;
    ~ReplacingFile();

    // executable: a new file gets 0777 less the umask instead of 0666.
    bool Open(const std::string& target, bool executable = false);
    bool Write(const void* data, size_t size);
    bool Commit();

private:
    struct State;  // the host's
    std::unique_ptr<State> state_;
};

}  // namespace platform
