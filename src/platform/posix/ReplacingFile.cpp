#include "platform/ReplacingFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/posix/TemporaryFiles.h"

namespace platform {

ReplacingFile::~ReplacingFile() {
    if (handle_ < 0) return;
    close(static_cast<int>(handle_));
    if (direct_) return;
    unlink(temporary_.c_str());
    TemporaryFiles::Remove();
}

bool ReplacingFile::Open(const std::string& target, bool executable) {
    target_ = target;
    struct stat existing {};
    bool exists = stat(target.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode)) {
        // A device or a pipe: written as it is; there is nothing to rename.
        direct_ = true;
        handle_ = open(target.c_str(), O_WRONLY | O_CLOEXEC);
        return handle_ >= 0;
    }
    if (exists) {
        // Through a link to the file it names: the link stays a link.
        if (char* real = realpath(target.c_str(), nullptr)) {
            target_ = real;
            std::free(real);
        }
    }
    // A short name of its own in the target's folder, so that a target
    // whose name is near the longest a file name can be still gets one.
    const size_t slash = target_.rfind('/');
    std::vector<char> name(target_.begin(), target_.begin() + static_cast<std::ptrdiff_t>(slash == std::string::npos ? 0 : slash + 1));
    const char suffix[] = ".qx-XXXXXX";
    name.insert(name.end(), suffix, suffix + sizeof suffix);
    const int fd = mkstemp(name.data());
    if (fd < 0) return false;
    handle_ = fd;
    temporary_ = name.data();
    TemporaryFiles::Add(AT_FDCWD, temporary_);
    // mkstemp makes the file private: give it the old file's mode, or the
    // mode a new file gets.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, exists ? existing.st_mode & 07777 : (executable ? 0777 : 0666) & ~mask);
    return true;
}

bool ReplacingFile::Write(const void* data, size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
        const ssize_t n = write(static_cast<int>(handle_), bytes, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool ReplacingFile::Commit() {
    const int fd = static_cast<int>(handle_);
    handle_ = -1;
    if (direct_) return close(fd) == 0;
    const bool ok = close(fd) == 0 && std::rename(temporary_.c_str(), target_.c_str()) == 0;
    if (!ok) unlink(temporary_.c_str());
    TemporaryFiles::Remove();
    return ok;
}

}  // namespace platform
