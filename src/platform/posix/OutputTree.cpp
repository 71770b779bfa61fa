// SPDX-License-Identifier: MIT
#include "platform/OutputTree.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/posix/TemporaryFile.h"

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

// Opens the folder part below parent, making it when missing (and make is
// set), refusing a link or anything else that is not a folder.
OutputResult OpenFolder(int parent, const std::string& part, bool make, Descriptor& child) {
    const int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    int fd = openat(parent, part.c_str(), flags);
    if (fd < 0 && errno == ENOENT && make) {
        if (mkdirat(parent, part.c_str(), 0777) != 0 && errno != EEXIST) return OutputResult::FolderFailed;
        fd = openat(parent, part.c_str(), flags);
    }
    if (fd < 0) return errno == ENOENT ? OutputResult::FolderFailed : OutputResult::InTheWay;
    child.Reset(fd);
    return OutputResult::Written;
}

// Walks from folder to the folder that holds the last part, without
// following links; outcome tells where it failed.
bool WalkTo(const std::string& folder, const std::vector<std::string>& parts, bool make, bool createFolder,
            Descriptor& current, OutputOutcome& outcome) {
    for (size_t i = 0; i < parts.size(); ++i) {
        if (!IsPlainPart(parts[i])) {
            outcome.result = OutputResult::InTheWay;
            outcome.failedPart = i;
            return false;
        }
    }
    if (createFolder) {
        // The output folder itself is the user's choice: made when missing,
        // and followed when it is a link.
        std::error_code ignored;
        std::filesystem::create_directories(folder, ignored);
    }
    current.Reset(open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (current.Get() < 0) {
        outcome.result = parts.size() > 1 ? OutputResult::FolderFailed : OutputResult::CreateFailed;
        return false;
    }
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
        Descriptor child;
        if (const OutputResult result = OpenFolder(current.Get(), parts[i], make, child);
            result != OutputResult::Written) {
            outcome.result = result;
            outcome.failedPart = i;
            return false;
        }
        current.Reset(child.Release());
    }
    return true;
}

// Whether the file may be written at name in folder: Written when nothing
// is there or a regular file that the request lets be replaced.
OutputResult Admit(int folder, const char* name, const unsigned char* bytes, size_t size,
                   const OutputRequest& request) {
    struct stat existing {};
    if (fstatat(folder, name, &existing, AT_SYMLINK_NOFOLLOW) != 0) return OutputResult::Written;
    if (!S_ISREG(existing.st_mode)) return OutputResult::InTheWay;
    if (request.skipIdentical && static_cast<size_t>(existing.st_size) == size &&
        existing.st_mtime == request.time && SameBytes(folder, name, bytes, size)) {
        return OutputResult::SkippedIdentical;
    }
    if (!request.replace) return OutputResult::SkippedExisting;
    // A file marked read-only (no write permission for anyone) is not
    // replaced, even by a user whom the system would let write it.
    if ((existing.st_mode & 0222) == 0) return OutputResult::ReadOnly;
    return OutputResult::Written;
}

#ifdef RENAME_NOREPLACE
constexpr bool kRenameNoReplace = true;
#else
constexpr bool kRenameNoReplace = false;
#endif

// Renames temporary to name in folder unless name is taken; false when it
// is taken or the host cannot tell.
bool RenameNoReplace(int folder, const char* temporary, const char* name) {
#ifdef RENAME_NOREPLACE
    return renameat2(folder, temporary, folder, name, RENAME_NOREPLACE) == 0;
#else
    (void)folder, (void)temporary, (void)name;
    return false;
#endif
}

// Moves temporary to name in folder only if name is free: Written, or
// SkippedExisting when it is taken. Hard links serve where the rename
// cannot refuse to replace; only where neither can does it look first.
OutputResult MoveWithoutReplacing(int folder, const char* temporary, const char* name) {
#ifdef RENAME_NOREPLACE
    if (renameat2(folder, temporary, folder, name, RENAME_NOREPLACE) == 0) return OutputResult::Written;
    if (errno == EEXIST) return OutputResult::SkippedExisting;
#endif
    if (linkat(folder, temporary, folder, name, 0) == 0) {
        unlinkat(folder, temporary, 0);
        return OutputResult::Written;
    }
    if (errno == EEXIST) return OutputResult::SkippedExisting;
    struct stat existing {};
    if (fstatat(folder, name, &existing, AT_SYMLINK_NOFOLLOW) == 0) return OutputResult::SkippedExisting;
    return renameat(folder, temporary, folder, name) == 0 ? OutputResult::Written : OutputResult::CreateFailed;
}

}  // namespace

bool IsPlainPart(const std::string& part) {
    return !part.empty() && part != "." && part != ".." && part.find('/') == std::string::npos;
}

OutputTree::OutputTree()
    : seed(static_cast<uint64_t>(getpid()) * 2654435761u ^ reinterpret_cast<uintptr_t>(this)) {}

OutputTree::~OutputTree() { Forget(); }

void OutputTree::Forget() {
    if (openDescriptor >= 0) close(openDescriptor);
    openDescriptor = -1;
    openParts.clear();
}

OutputOutcome OutputTree::Write(const std::string& folder, const std::vector<std::string>& parts, const void* data,
                                size_t size, const OutputRequest& request) {
    OutputOutcome outcome;
    if (parts.empty()) {
        outcome.result = OutputResult::CreateFailed;
        return outcome;
    }
    const bool kept = openDescriptor >= 0 && folder == openFolder && IsPlainPart(parts.back()) &&
                      std::equal(parts.begin(), parts.end() - 1, openParts.begin(), openParts.end());
    if (!kept) {
        Descriptor walked;
        if (!WalkTo(folder, parts, true, request.createFolder, walked, outcome)) return outcome;
        Forget();
        openDescriptor = walked.Release();
        openFolder = folder;
        openParts.assign(parts.begin(), parts.end() - 1);
    }
    const int current = openDescriptor;
    const char* name = parts.back().c_str();
    const auto* bytes = static_cast<const unsigned char*>(data);
    outcome.failedPart = parts.size() - 1;
    // A file that may replace any regular file there learns what is there
    // only when its name turns out to be taken; otherwise it looks first.
    // A failure of its own reports what was in the way instead, as looking
    // first would have.
    const bool lookFirst = request.skipIdentical || !request.replace || !kRenameNoReplace;
    if (lookFirst) outcome.result = Admit(current, name, bytes, size, request);
    if (outcome.result != OutputResult::Written) return outcome;
    TemporaryFile out;
    OutputResult result = OutputResult::CreateFailed;
    if (out.Create(current, seed)) {
        const char* temporary = out.Name().c_str();
        const timespec times[2] = {{static_cast<time_t>(request.time), 0}, {static_cast<time_t>(request.time), 0}};
        bool ok = out.Write(bytes, size);
        outcome.timeSet = futimens(out.Descriptor(), times) == 0;
        // Closing reports late write errors on some file systems.
        ok = out.Close() && ok;
        result = ok ? OutputResult::Written : OutputResult::WriteFailed;
        if (ok && !request.replace) {
            // Looked at first, and looked at again by the move itself: a file
            // that appeared meanwhile is kept.
            result = MoveWithoutReplacing(current, temporary, name);
        } else if (ok && (lookFirst || !RenameNoReplace(current, temporary, name))) {
            if (!lookFirst) result = Admit(current, name, bytes, size, request);
            if (result == OutputResult::Written && renameat(current, temporary, current, name) != 0) {
                result = OutputResult::CreateFailed;
            }
        }
        if (result == OutputResult::Written) out.Moved();
        else out.Remove();
    }
    if (!lookFirst && (result == OutputResult::CreateFailed || result == OutputResult::WriteFailed)) {
        const OutputResult admitted = Admit(current, name, bytes, size, request);
        if (admitted != OutputResult::Written) result = admitted;
    }
    if (result != OutputResult::Written) outcome.timeSet = true;
    outcome.result = result;
    return outcome;
}

std::FILE* OpenFileBelow(const std::string& folder, const std::vector<std::string>& parts, FileStatus& status,
                         bool& present) {
    Descriptor current;
    OutputOutcome outcome;
    present = false;
    if (parts.empty() || !WalkTo(folder, parts, false, false, current, outcome)) {
        present = outcome.result == OutputResult::InTheWay;
        return nullptr;
    }
    struct stat there {};
    present = fstatat(current.Get(), parts.back().c_str(), &there, AT_SYMLINK_NOFOLLOW) == 0;
    Descriptor fd(openat(current.Get(), parts.back().c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (fd.Get() < 0 || fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) return nullptr;
    fcntl(fd.Get(), F_SETFL, fcntl(fd.Get(), F_GETFL) & ~O_NONBLOCK);
    std::FILE* file = fdopen(fd.Get(), "rb");
    if (!file) return nullptr;
    fd.Release();
    status.size = st.st_size;
    status.modified = st.st_mtime;
    status.isDirectory = false;
    return file;
}

std::FILE* OpenUtf8ForReading(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st {};
    const bool described = fstat(fd, &st) == 0;
    if (!described || !S_ISREG(st.st_mode)) {
        // A folder says so; a pipe or device is no file to read an archive from.
        const int reason = !described ? errno : S_ISDIR(st.st_mode) ? EISDIR : ENODEV;
        close(fd);
        errno = reason;
        return nullptr;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::FILE* file = fdopen(fd, "rb");
    if (!file) close(fd);
    return file;
}

}  // namespace platform
