// SPDX-License-Identifier: MIT
/* Lists an archive through qx1.h and reads every entry. */
#include <stdio.h>
#include <qx1.h>

static int count_bytes(void *user, const void *data, size_t size) {
    (void)data;
    *(unsigned long long *)user += size;
    return 0; /* nonzero would stop the read */
}

int main(int argc, char **argv) {
    qx1_archive *archive;
    int result = qx1_open_file(argc > 1 ? argv[1] : "sample.qx1", argc > 2 ? argv[2] : NULL, &archive);
    if (result != QX1_OK) {
        fprintf(stderr, "%s\n", qx1_strerror(result));
        return 2;
    }
    for (size_t i = 0; i < qx1_entry_count(archive) && result == QX1_OK; i++) {
        const qx1_entry *entry = qx1_entry_at(archive, i);
        unsigned long long read = 0;
        result = qx1_read_entry(archive, i, count_bytes, &read);
        printf("%10llu  %s  (%llu bytes read)\n", (unsigned long long)entry->size, entry->name, read);
    }
    if (result != QX1_OK) fprintf(stderr, "%s\n", qx1_strerror(result));
    qx1_close(archive);
    return result == QX1_OK ? 0 : 2;
}
