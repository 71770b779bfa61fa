#include "platform/OutputTree.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace platform {
namespace {

// Owns one file descriptor.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() { Reset(); }
    void Reset(int fd = -1) {
        if (fd_ >= 0) close(fd_);
        fd_ = fd;
    }
    int Get() const { return fd_; }
    int Release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

bool WriteAll(int fd, const unsigned char* bytes, size_t count) {
    while (count > 0) {
        const ssize_t n = write(fd, bytes, count);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes += n;
        count -= static_cast<size_t>(n);
    }
    return true;
}

// True when the regular file name in folder holds exactly these bytes.
bool SameBytes(int folder, const char* name, const unsigned char* data, size_t size) {
    Descriptor fd(openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (fd.Get() < 0 || fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    unsigned char chunk[65536];
    size_t done = 0;
    for (;;) {
        const ssize_t n = read(fd.Get(), chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return done == size;
        const auto got = static_cast<size_t>(n);
        if (got > size - done || std::memcmp(chunk, data + done, got) != 0) return false;
        done += got;
    }
}

// Opens (creating when missing) the folder part below parent, refusing a
// link or anything else that is not a folder.
OutputResult OpenFolder(int parent, const std::string& part, Descriptor& child) {
    const int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    int fd = openat(parent, part.c_str(), flags);
    if (fd < 0 && errno == ENOENT) {
        if (mkdirat(parent, part.c_str(), 0777) != 0 && errno != EEXIST) return OutputResult::Failed;
        fd = openat(parent, part.c_str(), flags);
    }
    if (fd < 0) return errno == ELOOP || errno == ENOTDIR ? OutputResult::InTheWay : OutputResult::Failed;
    child.Reset(fd);
    return OutputResult::Written;
}

// A new file in folder under a name of its own; -1 when none can be made.
int CreateTemporary(int folder, std::string& name) {
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    uint64_t seed = static_cast<uint64_t>(getpid()) * 2654435761u ^ reinterpret_cast<uintptr_t>(&name);
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = ".qx-";
        for (int i = 0; i < 10; ++i) {
            seed = seed * 6364136223846793005u + 1442695040888963407u;
            name += kLetters[(seed >> 33) % 36];
        }
        name += ".part";
        const int fd = openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

}  // namespace

OutputResult WriteFileBelow(const std::string& folder, const std::vector<std::string>& parts, const void* data,
                            size_t size, const OutputRequest& request) {
    if (parts.empty()) return OutputResult::Failed;
    // The output folder itself is the user's choice: made when missing, and
    // followed when it is a link.
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    Descriptor current(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (current.Get() < 0) return OutputResult::Failed;
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
        Descriptor child;
        if (const OutputResult result = OpenFolder(current.Get(), parts[i], child); result != OutputResult::Written) {
            return result;
        }
        current.Reset(child.Release());
    }
    const char* name = parts.back().c_str();
    const auto* bytes = static_cast<const unsigned char*>(data);
    struct stat existing {};
    if (fstatat(current.Get(), name, &existing, AT_SYMLINK_NOFOLLOW) == 0) {
        if (!S_ISREG(existing.st_mode)) return OutputResult::InTheWay;
        if (request.skipIdentical && static_cast<size_t>(existing.st_size) == size &&
            existing.st_mtime == request.time && SameBytes(current.Get(), name, bytes, size)) {
            return OutputResult::SkippedIdentical;
        }
        if (!request.replace) return OutputResult::SkippedExisting;
        if ((existing.st_mode & 0222) == 0) return OutputResult::ReadOnly;
    }
    std::string temporary;
    Descriptor out(CreateTemporary(current.Get(), temporary));
    if (out.Get() < 0) return OutputResult::Failed;
    const timespec times[2] = {{static_cast<time_t>(request.time), 0}, {static_cast<time_t>(request.time), 0}};
    bool ok = WriteAll(out.Get(), bytes, size);
    ok = futimens(out.Get(), times) == 0 && ok;
    // Closing reports late write errors on some file systems.
    ok = close(out.Release()) == 0 && ok;
    if (!ok || renameat(current.Get(), temporary.c_str(), current.Get(), name) != 0) {
        unlinkat(current.Get(), temporary.c_str(), 0);
        return OutputResult::Failed;
    }
    return OutputResult::Written;
}

std::FILE* OpenUtf8ForReading(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return nullptr;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::FILE* file = fdopen(fd, "rb");
    if (!file) close(fd);
    return file;
}

}  // namespace platform
