// SPDX-License-Identifier: MIT
// libFuzzer target: any bytes opened from memory through the C API, every
// entry listed and read in reverse order, then everything tested.
#include <cstdint>
#include <cstring>

#include "FuzzSupport.h"
#include "qx1.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!fuzz::WithinBounds(data, size)) return 0;
    qx1_archive* archive = nullptr;
    if (qx1_open_memory(data, size, "pw", &archive) != QX1_OK) return 0;
    for (size_t i = qx1_entry_count(archive); i-- > 0;) {
        const qx1_entry* entry = qx1_entry_at(archive, i);
        // Names never carry a control character.
        for (const char* c = entry->name; *c; ++c) {
            if (static_cast<unsigned char>(*c) < 0x20 || *c == 0x7F) __builtin_trap();
        }
        uint64_t seen = 0;
        const int result = qx1_read_entry(
            archive, i,
            [](void* user, const void*, size_t piece) {
                *static_cast<uint64_t*>(user) += piece;
                return 0;
            },
            &seen);
        if (result == QX1_OK && seen != entry->size) __builtin_trap();
    }
    qx1_test(archive);
    qx1_close(archive);
    return 0;
}
