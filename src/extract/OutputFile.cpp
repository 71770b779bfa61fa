#include "extract/OutputFile.h"

OutputFile::~OutputFile() {
    if (!handle) return;
    platform::CloseOutput(handle);
    platform::RemoveFile(path);
}

bool OutputFile::Open(const std::string& newPath) {
    handle = platform::CreateOutput(newPath);
    if (handle) path = newPath;
    return handle != nullptr;
}

size_t OutputFile::Write(const void* data, size_t count) { return platform::WriteOutput(handle, data, count); }

void OutputFile::Close() {
    platform::CloseOutput(handle);
    handle = nullptr;
    path.clear();
}
