#include "archive/FileInputStream.h"

#include "platform/Files.h"

FileInputStream::FileInputStream(const std::string& path) : file(platform::OpenForReading(path)) {}

int32_t FileInputStream::Read(unsigned char* buffer, int32_t count) {
    if (!file.Get() || count <= 0) return 0;
    const auto n = static_cast<int32_t>(platform::ReadFile(file.Get(), buffer, static_cast<size_t>(count)));
    // The key pattern starts again at every read; the decoder reads in
    // multiples of four, so stream byte p meets key byte p mod 4.
    for (int32_t j = 0; j < n; ++j) buffer[j] ^= key[j & 3];
    return n;
}
