// SPDX-License-Identifier: MIT
#include "platform/Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include <algorithm>
#include <cerrno>

#include "platform/Encoding.h"
#include "platform/posix/HostPath.h"

namespace platform {

bool HostPath(const std::string& path, std::string& hostPath) { return Utf8FromCp932(path, hostPath); }

namespace {

bool Describe(const std::string& path, bool follow, FileStatus& status) {
    std::string host;
    struct stat st {};
    if (!HostPath(path, host) || (follow ? stat(host.c_str(), &st) : lstat(host.c_str(), &st)) != 0) return false;
    status.size = st.st_size;
    status.modified = st.st_mtime;
    status.isDirectory = S_ISDIR(st.st_mode);
    status.isRegular = S_ISREG(st.st_mode);
    status.isLink = S_ISLNK(st.st_mode);
    status.device = st.st_dev;
    status.inode = st.st_ino;
    status.modifiedNs = int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec;
    status.changedNs = int64_t{st.st_ctim.tv_sec} * 1000000000 + st.st_ctim.tv_nsec;
    return true;
}

}  // namespace

bool IdentifyFile(const std::string& path, FileStatus& status) { return Describe(path, true, status); }

bool Stat(const std::string& path, FileStatus& status) { return Describe(path, true, status); }

bool LinkStatus(const std::string& path, FileStatus& status) { return Describe(path, false, status); }

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

bool ListDirectory(const std::string& path, std::vector<std::string>& names, std::vector<std::string>& refused) {
    std::string host;
    if (!HostPath(path, host)) return false;
    DIR* dir = opendir(host.c_str());
    if (!dir) return false;
    names.clear();
    refused.clear();
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        std::string cp932;
        if (Cp932FromUtf8(name, cp932)) names.push_back(cp932);
        else refused.push_back(Cp932FromUtf8Lossy(name));
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return true;
}

bool NameComponentFits(const std::string& component) {
    std::string host;
    return !HostPath(component, host) || host.size() <= 255;
}

std::FILE* OpenForReading(const std::string& path) {
    std::string host;
    std::FILE* file = HostPath(path, host) ? std::fopen(host.c_str(), "rb") : nullptr;
    // A folder opens on POSIX but cannot be read: it is not a file to open.
    struct stat st {};
    if (file && (fstat(fileno(file), &st) != 0 || S_ISDIR(st.st_mode))) {
        std::fclose(file);
        return nullptr;
    }
    return file;
}

size_t ReadFile(std::FILE* file, void* buffer, size_t count) { return std::fread(buffer, 1, count, file); }

bool SeekFile(std::FILE* file, int64_t offset, int origin) {
    return fseeko(file, static_cast<off_t>(offset), origin) == 0;
}

int64_t TellFile(std::FILE* file) { return ftello(file); }

void CloseFile(std::FILE* file) { std::fclose(file); }

}  // namespace platform
