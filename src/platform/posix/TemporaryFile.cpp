// SPDX-License-Identifier: MIT
#include "platform/posix/TemporaryFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/TemporaryFiles.h"

namespace platform {

TemporaryFile::~TemporaryFile() { Remove(); }

bool TemporaryFile::Create(int folder, uint64_t& seed, mode_t mode) {
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    folder_ = folder;
    for (int attempt = 0; attempt < 100; ++attempt) {
        name_ = ".qx-";
        for (int i = 0; i < 10; ++i) {
            seed = seed * 6364136223846793005u + 1442695040888963407u;
            name_ += kLetters[(seed >> 33) % 36];
        }
        name_ += ".part";
        fd_ = openat(folder, name_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd_ >= 0) {
            present_ = true;
            TemporaryFiles::Add(folder, name_);
            return true;
        }
        if (errno != EEXIST) return false;
    }
    return false;
}

bool WriteAll(int fd, const void* data, size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
        const ssize_t n = write(fd, bytes, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool TemporaryFile::Write(const void* data, size_t size) { return WriteAll(fd_, data, size); }

bool TemporaryFile::Close() {
    const int fd = fd_;
    fd_ = -1;
    return fd >= 0 && close(fd) == 0;
}

void TemporaryFile::Moved() {
    Close();
    if (present_) TemporaryFiles::Remove();
    present_ = false;
}

void TemporaryFile::Remove() {
    Close();
    if (!present_) return;
    unlinkat(folder_, name_.c_str(), 0);
    TemporaryFiles::Remove();
    present_ = false;
}

}  // namespace platform
