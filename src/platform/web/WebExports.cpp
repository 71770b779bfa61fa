// What the page's worker calls: the entry fields as plain values, an
// entry's bytes in one buffer, and progress reported to JavaScript.
#include <emscripten.h>

#include <cstdlib>
#include <cstring>

#include "qx1.h"

namespace {

EM_JS(int, ReportProgress, (double done, double total), {
    return Module.onProgress ? (Module.onProgress(done, total) ? 1 : 0) : 0;
});

int Progress(void*, uint64_t done, uint64_t total) {
    return ReportProgress(static_cast<double>(done), static_cast<double>(total));
}

struct Buffer {
    unsigned char* data;
    size_t used;
};

}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE const char* qx1web_name(qx1_archive* a, size_t i) { return qx1_entry_at(a, i)->name; }
EMSCRIPTEN_KEEPALIVE const unsigned char* qx1web_stored(qx1_archive* a, size_t i) {
    return qx1_entry_at(a, i)->stored_name;
}
EMSCRIPTEN_KEEPALIVE size_t qx1web_stored_size(qx1_archive* a, size_t i) { return qx1_entry_at(a, i)->stored_name_size; }
EMSCRIPTEN_KEEPALIVE double qx1web_size(qx1_archive* a, size_t i) { return static_cast<double>(qx1_entry_at(a, i)->size); }
EMSCRIPTEN_KEEPALIVE double qx1web_mtime(qx1_archive* a, size_t i) { return static_cast<double>(qx1_entry_at(a, i)->mtime); }
EMSCRIPTEN_KEEPALIVE unsigned qx1web_block(qx1_archive* a, size_t i) { return qx1_entry_at(a, i)->block; }
EMSCRIPTEN_KEEPALIVE unsigned qx1web_flags(qx1_archive* a, size_t i) { return qx1_entry_at(a, i)->flags; }

// Reports the decoding of a through Module.onProgress from now on.
EMSCRIPTEN_KEEPALIVE void qx1web_watch(qx1_archive* a) { qx1_set_progress(a, Progress, nullptr); }

// Decodes entry i into a new buffer (*out, freed by the caller with free);
// a QX1_ code.
EMSCRIPTEN_KEEPALIVE int qx1web_read(qx1_archive* a, size_t i, unsigned char** out) {
    *out = nullptr;
    const qx1_entry* entry = qx1_entry_at(a, i);
    if (!entry) return QX1_E_NO_ENTRY;
    Buffer buffer{static_cast<unsigned char*>(std::malloc(entry->size ? entry->size : 1)), 0};
    if (!buffer.data) return QX1_E_NO_MEMORY;
    const int result = qx1_read_entry(
        a, i,
        [](void* user, const void* data, size_t size) {
            auto* b = static_cast<Buffer*>(user);
            std::memcpy(b->data + b->used, data, size);
            b->used += size;
            return 0;
        },
        &buffer);
    if (result != QX1_OK) {
        std::free(buffer.data);
        return result;
    }
    *out = buffer.data;
    return QX1_OK;
}

}  // extern "C"
