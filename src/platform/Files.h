// SPDX-License-Identifier: MIT
#pragma once

// File-system operations of the host. Every path is CP932 bytes with the
// host's separator; the implementation converts it to the host's encoding.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace platform {

struct FileStatus {
    int64_t size = 0;
    int64_t modified = 0;  // seconds since 1970-01-01 UTC
    bool isDirectory = false;
    bool isRegular = false;  // a regular file (not a folder, device, pipe or socket)
    bool isLink = false;     // only from LinkStatus: a symbolic link
    uint64_t device = 0;     // with inode, which file this is (0 where the host does not tell)
    uint64_t inode = 0;
    int64_t modifiedNs = 0;  // modification and change times in nanoseconds, where the host tells
    int64_t changedNs = 0;   // (IdentifyFile): a file written in between shows a change in either
};

// _stat: false when the path does not exist or cannot be converted.
bool Stat(const std::string& path, FileStatus& status);
// As Stat, but a symbolic link is described itself, not followed.
bool LinkStatus(const std::string& path, FileStatus& status);
// As Stat, and device, inode and the times in nanoseconds filled in on every
// host (on Windows: the volume's serial number and the file index).
bool IdentifyFile(const std::string& path, FileStatus& status);
// _mkdir: creates one folder.
bool MakeDirectory(const std::string& path);
// _utime: sets access and modification time.
bool SetFileTime(const std::string& path, int64_t time);
// remove
bool RemoveFile(const std::string& path);
// Replaces target by source in one step.
bool RenameFile(const std::string& source, const std::string& target);
// Names in a folder (without "." and ".."), sorted bytewise; false when it
// cannot be read. A name with no CP932 form goes to refused (with "?" for
// what has none) instead.
bool ListDirectory(const std::string& path, std::vector<std::string>& names, std::vector<std::string>& refused);

// True when one component of a path (CP932) is short enough for the host's
// file names (255 bytes of UTF-8 on POSIX, 255 UTF-16 units on Windows).
bool NameComponentFits(const std::string& component);

// fopen(path, "rb"), fread, fseek, fclose.
std::FILE* OpenForReading(const std::string& path);
size_t ReadFile(std::FILE* file, void* buffer, size_t count);
bool SeekFile(std::FILE* file, int64_t offset, int origin);
int64_t TellFile(std::FILE* file);
void CloseFile(std::FILE* file);

}  // namespace platform
