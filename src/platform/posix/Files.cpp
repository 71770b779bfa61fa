#include "platform/Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include <algorithm>
#include <cerrno>

#include "platform/Encoding.h"
#include "platform/posix/HostPath.h"

namespace platform {

bool HostPath(const std::string& path, std::string& hostPath) { return Utf8FromCp932(path, hostPath); }

bool Stat(const std::string& path, FileStatus& status) {
    std::string host;
    struct stat st {};
    if (!HostPath(path, host) || stat(host.c_str(), &st) != 0) return false;
    status.size = st.st_size;
    status.modified = st.st_mtime;
    status.isDirectory = S_ISDIR(st.st_mode);
    return true;
}

bool MakeDirectory(const std::string& path) {
    std::string host;
    return HostPath(path, host) && mkdir(host.c_str(), 0777) == 0;
}

bool SetFileTime(const std::string& path, int64_t time) {
    std::string host;
    if (!HostPath(path, host)) return false;
    struct utimbuf times {};
    times.actime = static_cast<time_t>(time);
    times.modtime = static_cast<time_t>(time);
    return utime(host.c_str(), &times) == 0;
}

bool RemoveFile(const std::string& path) {
    std::string host;
    return HostPath(path, host) && std::remove(host.c_str()) == 0;
}

bool RenameFile(const std::string& source, const std::string& target) {
    std::string from, to;
    return HostPath(source, from) && HostPath(target, to) && std::rename(from.c_str(), to.c_str()) == 0;
}

bool ListDirectory(const std::string& path, std::vector<std::string>& names) {
    std::string host;
    if (!HostPath(path, host)) return false;
    DIR* dir = opendir(host.c_str());
    if (!dir) return false;
    names.clear();
    bool ok = true;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        std::string cp932;
        if (!Cp932FromUtf8(name, cp932)) {
            ok = false;
            names.push_back(Cp932FromUtf8Lossy(name));
            continue;
        }
        names.push_back(cp932);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return ok;
}

std::FILE* OpenForReading(const std::string& path) {
    std::string host;
    return HostPath(path, host) ? std::fopen(host.c_str(), "rb") : nullptr;
}

size_t ReadFile(std::FILE* file, void* buffer, size_t count) { return std::fread(buffer, 1, count, file); }

bool SeekFile(std::FILE* file, int64_t offset, int origin) {
    return fseeko(file, static_cast<off_t>(offset), origin) == 0;
}

int64_t TellFile(std::FILE* file) { return ftello(file); }

void CloseFile(std::FILE* file) { std::fclose(file); }

OutputHandle CreateOutput(const std::string& path) {
    std::string host;
    if (!HostPath(path, host)) return nullptr;
    // A file marked read-only (no write permission for anyone) is not
    // replaced, even by a user whom the system would let write it.
    struct stat existing {};
    if (lstat(host.c_str(), &existing) == 0 && S_ISREG(existing.st_mode) && (existing.st_mode & 0222) == 0) {
        return nullptr;
    }
    const int fd = open(host.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    // Other cooperating openers are kept out while the file is written.
    flock(fd, LOCK_EX | LOCK_NB);
    return reinterpret_cast<OutputHandle>(static_cast<intptr_t>(fd) + 1);
}

size_t WriteOutput(OutputHandle handle, const void* data, size_t count) {
    const int fd = static_cast<int>(reinterpret_cast<intptr_t>(handle) - 1);
    const auto* bytes = static_cast<const unsigned char*>(data);
    size_t written = 0;
    while (written < count) {
        const ssize_t n = write(fd, bytes + written, count - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        written += static_cast<size_t>(n);
    }
    return written;
}

void CloseOutput(OutputHandle handle) { close(static_cast<int>(reinterpret_cast<intptr_t>(handle) - 1)); }

}  // namespace platform
