// SPDX-License-Identifier: MIT
// libFuzzer target: any bytes opened from memory and converted to each
// format into memory. An archive with an unsafe name is refused before a
// byte is written; otherwise every entry's name reaches the output as a
// relative name.
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "qx/ConvertArchive.h"
#include "qx1.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!fuzz::WithinBounds(data, size)) return 0;
    qx1_archive* archive = nullptr;
    if (qx1_open_memory(data, size, "pw", &archive) != QX1_OK) return 0;
    for (const ConvertFormat format : {ConvertFormat::Tar, ConvertFormat::Zip, ConvertFormat::TarGzip}) {
        std::string output;
        std::string error;
        ConvertOptions options;
        options.partial = format == ConvertFormat::Zip;
        const int result = ConvertArchive(
            archive, format,
            [&output](const void* bytes, size_t count) {
                output.append(static_cast<const char*>(bytes), count);
                return true;
            },
            error, options);
        if (result == QX1_E_UNSAFE_NAME && !output.empty()) __builtin_trap();
        if (result != QX1_OK && error.empty()) __builtin_trap();
    }
    qx1_close(archive);
    return 0;
}
