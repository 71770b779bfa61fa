// SPDX-License-Identifier: MIT
// libFuzzer target: the fuzzer's bytes as two files, compressed at a level
// and with table options it picks, decoded through the C API and compared.
#include <cstdint>
#include <cstring>
#include <vector>

#include "create/ArchiveWriter.h"
#include "qx1.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    ArchiveOptions options;
    options.level = 1 + data[0] % 9;
    options.largeTables = (data[0] & 0x10) != 0;
    options.insertEveryPosition = (data[0] & 0x20) != 0;
    if (data[0] & 0x40) options.password = "pw";
    const size_t split = 1 + (size - 1) * data[1] / 256;
    const std::vector<ArchiveEntry> entries = {
        {"a", 1, std::vector<uint8_t>(data + 2, data + std::max<size_t>(split, 2))},
        {"b\\c", 2, std::vector<uint8_t>(data + std::max<size_t>(split, 2), data + size)},
    };
    const std::vector<uint8_t> archive = BuildArchive(entries, options);
    qx1_archive* opened = nullptr;
    if (qx1_open_memory(archive.data(), archive.size(), "pw", &opened) != QX1_OK) __builtin_trap();
    for (size_t i = entries.size(); i-- > 0;) {
        std::vector<uint8_t> back;
        const int result = qx1_read_entry(
            opened, i,
            [](void* user, const void* piece, size_t n) {
                auto* out = static_cast<std::vector<uint8_t>*>(user);
                out->insert(out->end(), static_cast<const uint8_t*>(piece), static_cast<const uint8_t*>(piece) + n);
                return 0;
            },
            &back);
        if (result != QX1_OK || back != entries[i].data) __builtin_trap();
    }
    qx1_close(opened);
    return 0;
}
