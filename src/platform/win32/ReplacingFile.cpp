// SPDX-License-Identifier: MIT
#include <windows.h>

#include <algorithm>

#include "platform/ReplacingFile.h"
#include "platform/win32/WidePath.h"

namespace platform {
namespace {

HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

}  // namespace

struct ReplacingFile::State {
    std::intptr_t handle = -1;
    std::string target;
    std::string temporary;
};

ReplacingFile::ReplacingFile() = default;

ReplacingFile::~ReplacingFile() {
    if (!state_ || state_->handle == -1) return;
    CloseHandle(AsHandle(state_->handle));
    DeleteFileW(WideFromUtf8(state_->temporary).c_str());
}

bool ReplacingFile::Open(const std::string& target, bool) {
    state_ = std::make_unique<State>();
    state_->target = target;
    state_->temporary = target + ".qx-part";
    const HANDLE file = CreateFileW(WideFromUtf8(state_->temporary).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    state_->handle = reinterpret_cast<std::intptr_t>(file);
    return true;
}

bool ReplacingFile::Write(const void* data, size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(AsHandle(state_->handle), bytes, chunk, &written, nullptr) || written == 0) return false;
        bytes += written;
        size -= written;
    }
    return true;
}

bool ReplacingFile::Commit() {
    const bool closed = CloseHandle(AsHandle(state_->handle)) != 0;
    state_->handle = -1;
    const std::wstring temporary = WideFromUtf8(state_->temporary);
    const bool ok =
        closed && MoveFileExW(temporary.c_str(), WideFromUtf8(state_->target).c_str(), MOVEFILE_REPLACE_EXISTING);
    if (!ok) DeleteFileW(temporary.c_str());
    return ok;
}

}  // namespace platform
