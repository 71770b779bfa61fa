// SPDX-License-Identifier: MIT
#include <windows.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/OutputTree.h"
#include "platform/win32/WidePath.h"

namespace platform {
namespace {

// Owns one file handle.
class Handle {
public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { Close(); }
    bool Close() {
        const bool ok = handle_ == INVALID_HANDLE_VALUE || CloseHandle(handle_) != 0;
        handle_ = INVALID_HANDLE_VALUE;
        return ok;
    }
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
};

FILETIME FileTimeOf(int64_t seconds) {
    const uint64_t ticks = static_cast<uint64_t>(seconds + 11644473600LL) * 10000000ULL;
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(ticks);
    time.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return time;
}

bool SameFile(const std::wstring& path, const void* data, size_t size, int64_t seconds) {
    Handle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE) return false;
    FILETIME written;
    LARGE_INTEGER length;
    if (!GetFileSizeEx(file.Get(), &length) || static_cast<uint64_t>(length.QuadPart) != size ||
        !GetFileTime(file.Get(), nullptr, nullptr, &written)) {
        return false;
    }
    const uint64_t ticks = (uint64_t{written.dwHighDateTime} << 32) | written.dwLowDateTime;
    if (static_cast<int64_t>(ticks / 10000000ULL) - 11644473600LL != seconds) return false;
    const auto* bytes = static_cast<const unsigned char*>(data);
    unsigned char chunk[65536];
    size_t done = 0;
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file.Get(), chunk, sizeof chunk, &got, nullptr)) return false;
        if (got == 0) return done == size;
        if (got > size - done || std::memcmp(chunk, bytes + done, got) != 0) return false;
        done += got;
    }
}

}  // namespace

// Walks from folder to the last part, checking each place: folders are
// made when missing (when make is set), and a reparse point (a junction or
// a symbolic link) is never passed. path ends as the last part's path and
// attributes as its attributes.
bool WalkTo(const std::string& folder, const std::vector<std::string>& parts, bool make, bool createFolder,
            std::wstring& path, DWORD& attributes, OutputOutcome& outcome) {
    for (size_t i = 0; i < parts.size(); ++i) {
        if (!IsPlainPart(parts[i])) {
            outcome.result = OutputResult::InTheWay;
            outcome.failedPart = i;
            return false;
        }
    }
    path = WideFromUtf8(folder.empty() ? "." : folder);
    if (createFolder) {
        std::error_code ignored;
        std::filesystem::create_directories(std::filesystem::path(path), ignored);
    }
    const DWORD top = GetFileAttributesW(path.c_str());
    if (top == INVALID_FILE_ATTRIBUTES || !(top & FILE_ATTRIBUTE_DIRECTORY)) {
        outcome.result = parts.size() > 1 ? OutputResult::FolderFailed : OutputResult::CreateFailed;
        return false;
    }
    for (size_t i = 0; i < parts.size(); ++i) {
        if (path.back() != L'\\' && path.back() != L'/') path += L'\\';
        path += WideFromUtf8(parts[i]);
        attributes = GetFileAttributesW(path.c_str());
        const bool last = i + 1 == parts.size();
        outcome.failedPart = i;
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            if (last) return true;
            if (!make || !CreateDirectoryW(path.c_str(), nullptr)) {
                outcome.result = OutputResult::FolderFailed;
                return false;
            }
            continue;
        }
        if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) || ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) == last) {
            outcome.result = OutputResult::InTheWay;
            return false;
        }
    }
    return true;
}

bool IsPlainPart(const std::string& part) {
    return !part.empty() && part != "." && part != ".." && part.find_first_of("/\\:") == std::string::npos;
}

// Paths are walked anew for every file: no folder is kept open here.
OutputTree::OutputTree() = default;

OutputTree::~OutputTree() = default;

void OutputTree::Forget() {}

OutputOutcome OutputTree::Write(const std::string& folder, const std::vector<std::string>& parts, const void* data,
                                size_t size, const OutputRequest& request) {
    OutputOutcome outcome;
    std::wstring path;
    DWORD attributes = INVALID_FILE_ATTRIBUTES;
    if (parts.empty()) {
        outcome.result = OutputResult::CreateFailed;
        return outcome;
    }
    if (!WalkTo(folder, parts, true, request.createFolder, path, attributes, outcome)) return outcome;
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (request.skipIdentical && SameFile(path, data, size, request.time)) {
            outcome.result = OutputResult::SkippedIdentical;
            return outcome;
        }
        if (!request.replace) {
            outcome.result = OutputResult::SkippedExisting;
            return outcome;
        }
        if (attributes & FILE_ATTRIBUTE_READONLY) {
            outcome.result = OutputResult::ReadOnly;
            return outcome;
        }
    }
    const std::wstring temporary = path + L".qx-part";
    Handle out(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (out.Get() == INVALID_HANDLE_VALUE) {
        outcome.result = OutputResult::CreateFailed;
        return outcome;
    }
    const auto* bytes = static_cast<const unsigned char*>(data);
    bool ok = true;
    for (size_t done = 0; ok && done < size;) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size - done, 1u << 30));
        DWORD written = 0;
        ok = WriteFile(out.Get(), bytes + done, chunk, &written, nullptr) && written == chunk;
        done += written;
    }
    const FILETIME time = FileTimeOf(request.time);
    outcome.timeSet = SetFileTime(out.Get(), nullptr, &time, &time) != 0;
    ok = out.Close() && ok;
    if (!ok) {
        DeleteFileW(temporary.c_str());
        outcome.result = OutputResult::WriteFailed;
        return outcome;
    }
    // Without leave to replace, a file that appeared while this one was
    // written is kept.
    if (!MoveFileExW(temporary.c_str(), path.c_str(), request.replace ? MOVEFILE_REPLACE_EXISTING : 0)) {
        const DWORD error = GetLastError();
        DeleteFileW(temporary.c_str());
        outcome.result = !request.replace && (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS)
                             ? OutputResult::SkippedExisting
                             : OutputResult::CreateFailed;
    }
    return outcome;
}

std::FILE* OpenFileBelow(const std::string& folder, const std::vector<std::string>& parts, FileStatus& status,
                         bool& present) {
    std::wstring path;
    DWORD attributes = INVALID_FILE_ATTRIBUTES;
    OutputOutcome outcome;
    present = false;
    if (parts.empty() || !WalkTo(folder, parts, false, false, path, attributes, outcome)) {
        present = outcome.result == OutputResult::InTheWay;
        return nullptr;
    }
    present = attributes != INVALID_FILE_ATTRIBUTES;
    if (!present) return nullptr;
    std::FILE* file = _wfopen(path.c_str(), L"rb");
    struct _stat64 st {};
    if (!file || _fstat64(_fileno(file), &st) != 0) {
        if (file) std::fclose(file);
        return nullptr;
    }
    status.size = st.st_size;
    status.modified = st.st_mtime;
    status.isDirectory = false;
    return file;
}

std::FILE* OpenUtf8ForReading(const std::string& path) {
    const std::wstring wide = WideFromUtf8(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return nullptr;
    return _wfopen(wide.c_str(), L"rb");
}

}  // namespace platform
