// SPDX-License-Identifier: MIT
// What the page's worker calls: the entry fields as plain values, and
// progress reported to JavaScript.
#include <emscripten.h>

#include "qx1.h"

namespace {

EM_JS(int, ReportProgress, (double done, double total), {
    return Module.onProgress ? (Module.onProgress(done, total) ? 1 : 0) : 0;
});

int Progress(void*, uint64_t done, uint64_t total) {
    return ReportProgress(static_cast<double>(done), static_cast<double>(total));
}

// The archive's bytes come from Module.readAt, which reads slices of the
// chosen file: the archive is never held whole in memory.
EM_JS(double, ReadSlice, (double offset, void* buffer, double size), {
    return Module.readAt(offset, buffer, size);
});

int64_t ReadAt(void*, uint64_t offset, void* buffer, size_t size) {
    return static_cast<int64_t>(ReadSlice(static_cast<double>(offset), buffer, static_cast<double>(size)));
}

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

// Opens an archive of total bytes read through Module.readAt.
EMSCRIPTEN_KEEPALIVE int qx1web_open_source(double total, const char* password, qx1_archive** out) {
    const qx1_source source{ReadAt, nullptr, static_cast<uint64_t>(total)};
    return qx1_open_source(&source, password, out);
}

// Reports the decoding of a through Module.onProgress from now on.
EMSCRIPTEN_KEEPALIVE void qx1web_watch(qx1_archive* a) { qx1_set_progress(a, Progress, nullptr); }

}  // extern "C"
