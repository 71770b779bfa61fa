#include "platform/ReplacingFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace platform {

ReplacingFile::~ReplacingFile() {
    if (fd_ < 0) return;
    close(fd_);
    unlink(temporary_.c_str());
}

bool ReplacingFile::Open(const std::string& target) {
    target_ = target;
    std::vector<char> name(target.begin(), target.end());
    const char suffix[] = ".qx-partial-XXXXXX";
    name.insert(name.end(), suffix, suffix + sizeof suffix);
    fd_ = mkstemp(name.data());
    if (fd_ < 0) return false;
    temporary_ = name.data();
    // mkstemp makes the file private; give it the mode a new file gets.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd_, 0666 & ~mask);
    return true;
}

bool ReplacingFile::Write(const void* data, size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
        const ssize_t n = write(fd_, bytes, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool ReplacingFile::Commit() {
    const int fd = fd_;
    fd_ = -1;
    if (close(fd) != 0 || std::rename(temporary_.c_str(), target_.c_str()) != 0) {
        unlink(temporary_.c_str());
        return false;
    }
    return true;
}

}  // namespace platform
