// SPDX-License-Identifier: MIT
#include <windows.h>
#include <sys/stat.h>
#include <sys/utime.h>
#include <direct.h>
#include <io.h>

#include <algorithm>
#include <cstdio>

#include "platform/Files.h"
#include "platform/win32/WidePath.h"

namespace platform {

bool Stat(const std::string& path, FileStatus& status) {
    std::wstring wide;
    struct _stat64 st {};
    if (!WideFromCp932(path, wide) || _wstat64(wide.c_str(), &st) != 0) return false;
    status.size = st.st_size;
    status.modified = st.st_mtime;
    status.isDirectory = (st.st_mode & _S_IFDIR) != 0;
    status.isRegular = (st.st_mode & _S_IFREG) != 0;
    return true;
}

bool IdentifyFile(const std::string& path, FileStatus& status) {
    if (!Stat(path, status)) return false;
    std::wstring wide;
    if (!WideFromCp932(path, wide)) return false;
    const HANDLE file = CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION information{};
    FILE_BASIC_INFO times{};
    const bool ok = GetFileInformationByHandle(file, &information) &&
                    GetFileInformationByHandleEx(file, FileBasicInfo, &times, sizeof times);
    CloseHandle(file);
    if (!ok) return false;
    status.device = information.dwVolumeSerialNumber;
    status.inode = (uint64_t{information.nFileIndexHigh} << 32) | information.nFileIndexLow;
    // Units of 100 ns.
    status.modifiedNs = times.LastWriteTime.QuadPart * 100;
    status.changedNs = times.ChangeTime.QuadPart * 100;
    return true;
}

bool LinkStatus(const std::string& path, FileStatus& status) {
    if (!Stat(path, status)) return false;
    std::wstring wide;
    const DWORD attributes = WideFromCp932(path, wide) ? GetFileAttributesW(wide.c_str()) : INVALID_FILE_ATTRIBUTES;
    status.isLink = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    return true;
}

bool MakeDirectory(const std::string& path) {
    std::wstring wide;
    return WideFromCp932(path, wide) && _wmkdir(wide.c_str()) == 0;
}

bool SetFileTime(const std::string& path, int64_t time) {
    std::wstring wide;
    if (!WideFromCp932(path, wide)) return false;
    struct __utimbuf64 times {};
    times.actime = time;
    times.modtime = time;
    return _wutime64(wide.c_str(), &times) == 0;
}

bool RemoveFile(const std::string& path) {
    std::wstring wide;
    return WideFromCp932(path, wide) && _wremove(wide.c_str()) == 0;
}

bool RenameFile(const std::string& source, const std::string& target) {
    std::wstring from, to;
    return WideFromCp932(source, from) && WideFromCp932(target, to) &&
           MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

bool ListDirectory(const std::string& path, std::vector<std::string>& names, std::vector<std::string>& refused) {
    std::wstring wide;
    if (!WideFromCp932(path, wide)) return false;
    if (!wide.empty() && wide.back() != L'\\') wide += L'\\';
    wide += L'*';
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(wide.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return false;
    names.clear();
    refused.clear();
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        std::string cp932;
        if (Cp932FromWide(name, cp932)) names.push_back(cp932);
        else refused.push_back(cp932);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return true;
}

bool NameComponentFits(const std::string& component) {
    std::wstring wide;
    return !WideFromCp932(component, wide) || wide.size() <= 255;
}

std::FILE* OpenForReading(const std::string& path) {
    std::wstring wide;
    return WideFromCp932(path, wide) ? _wfopen(wide.c_str(), L"rb") : nullptr;
}

size_t ReadFile(std::FILE* file, void* buffer, size_t count) { return std::fread(buffer, 1, count, file); }

bool SeekFile(std::FILE* file, int64_t offset, int origin) { return _fseeki64(file, offset, origin) == 0; }

int64_t TellFile(std::FILE* file) { return _ftelli64(file); }

void CloseFile(std::FILE* file) { std::fclose(file); }

}  // namespace platform
