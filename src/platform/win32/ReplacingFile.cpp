#include <windows.h>

#include <algorithm>

#include "platform/ReplacingFile.h"
#include "platform/win32/WidePath.h"

namespace platform {
namespace {

HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

}  // namespace

ReplacingFile::~ReplacingFile() {
    if (handle_ == -1) return;
    CloseHandle(AsHandle(handle_));
    if (!direct_) DeleteFileW(WideFromUtf8(temporary_).c_str());
}

bool ReplacingFile::Open(const std::string& target, bool) {
    target_ = target;
    temporary_ = target + ".qx-part";
    const HANDLE file = CreateFileW(WideFromUtf8(temporary_).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    handle_ = reinterpret_cast<std::intptr_t>(file);
    return true;
}

bool ReplacingFile::Write(const void* data, size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(AsHandle(handle_), bytes, chunk, &written, nullptr) || written == 0) return false;
        bytes += written;
        size -= written;
    }
    return true;
}

bool ReplacingFile::Commit() {
    const bool closed = CloseHandle(AsHandle(handle_)) != 0;
    handle_ = -1;
    const std::wstring temporary = WideFromUtf8(temporary_);
    const bool ok = closed && MoveFileExW(temporary.c_str(), WideFromUtf8(target_).c_str(), MOVEFILE_REPLACE_EXISTING);
    if (!ok) DeleteFileW(temporary.c_str());
    return ok;
}

}  // namespace platform
