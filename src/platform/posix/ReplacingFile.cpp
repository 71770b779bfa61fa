// SPDX-License-Identifier: MIT
#include "platform/ReplacingFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "platform/posix/TemporaryFile.h"

namespace platform {

struct ReplacingFile::State {
    ~State() {
        if (direct >= 0) close(direct);
        file.Remove();
        if (folder >= 0) close(folder);
    }
    int direct = -1;  // the target itself, when it is no regular file
    int folder = -1;  // the target's folder
    std::string name;  // the target's name in it
    TemporaryFile file;
    uint64_t seed = 0;
};

ReplacingFile::ReplacingFile() = default;
ReplacingFile::~ReplacingFile() = default;

bool ReplacingFile::Open(const std::string& target, bool executable) {
    state_ = std::make_unique<State>();
    std::string path = target;
    struct stat existing {};
    const bool exists = stat(target.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode)) {
        // A device or a pipe: written as it is; there is nothing to rename.
        state_->direct = open(target.c_str(), O_WRONLY | O_CLOEXEC);
        return state_->direct >= 0;
    }
    if (exists) {
        // Through a link to the file it names: the link stays a link.
        if (char* real = realpath(target.c_str(), nullptr)) {
            path = real;
            std::free(real);
        }
    }
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    state_->name = slash == std::string::npos ? path : path.substr(slash + 1);
    state_->folder = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (state_->folder < 0) return false;
    state_->seed = static_cast<uint64_t>(getpid()) * 2654435761u ^ reinterpret_cast<uintptr_t>(this);
    const mode_t mask = umask(0);
    umask(mask);
    // The old file's mode, or the mode a new file gets.
    const mode_t mode = exists ? existing.st_mode & 07777 : (executable ? 0777 : 0666) & ~mask;
    if (!state_->file.Create(state_->folder, state_->seed, mode)) return false;
    fchmod(state_->file.Descriptor(), mode);
    return true;
}

bool ReplacingFile::Write(const void* data, size_t size) {
    return state_->direct < 0 ? state_->file.Write(data, size) : WriteAll(state_->direct, data, size);
}

bool ReplacingFile::Commit() {
    if (state_->direct >= 0) {
        const int fd = state_->direct;
        state_->direct = -1;
        return close(fd) == 0;
    }
    TemporaryFile& file = state_->file;
    const bool ok = file.Close() &&
                    renameat(state_->folder, file.Name().c_str(), state_->folder, state_->name.c_str()) == 0;
    if (ok) file.Moved();
    else file.Remove();
    return ok;
}

}  // namespace platform
