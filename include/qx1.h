// SPDX-License-Identifier: MIT
/*
 * qx1.h - read .qx1 archives.
 *
 * An archive is opened from a file or from memory; its entries are listed
 * and read one by one, in any order, or all tested at once; an entry may
 * also be written as a file below a folder with the same safety rules as
 * the qx program. All text is UTF-8; error texts are English. The library
 * never prints and never prompts.
 *
 * Threads: a qx1_archive is used by one thread at a time; different
 * archives may be used in parallel. There is no global state.
 *
 * Cost: the data of an archive is one stream cut into blocks; the library
 * remembers where each block it has passed begins and keeps the last block
 * it decoded. Reading entries in any order therefore costs at most one pass
 * over the stream plus one more decode of each block that is read again.
 */
#ifndef QX1_H
#define QX1_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define QX1_VERSION "1.1.0"

/* Results. Zero is success; negative values are errors. */
#define QX1_OK 0
#define QX1_E_OPEN (-1)              /* the file cannot be opened or read */
#define QX1_E_NOT_ARCHIVE (-2)       /* no .qx1 archive in the file */
#define QX1_E_PASSWORD_NEEDED (-3)   /* the archive is protected and no password was given */
#define QX1_E_WRONG_PASSWORD (-4)    /* the password does not match */
#define QX1_E_DAMAGED (-5)           /* the archive's data are damaged or cut short */
#define QX1_E_UNSAFE_NAME (-6)       /* a name or path would lead outside the output folder, or names no file */
#define QX1_E_NO_MEMORY (-7)         /* not enough memory for what the archive declares */
#define QX1_E_NO_ENTRY (-8)          /* no entry with that index */
#define QX1_E_STOPPED (-9)           /* the sink asked to stop */
#define QX1_E_ARGUMENT (-10)         /* a required pointer is NULL */
#define QX1_E_WRITE (-11)            /* an output file or folder cannot be created or written */
#define QX1_E_IN_THE_WAY (-12)       /* a link, folder or special file stands at an output place */
#define QX1_E_READ_ONLY (-13)        /* an existing output file is read-only and is kept */
#define QX1_E_INTERNAL (-14)         /* a fault of the library itself, not of the archive */
#define QX1_E_LOST (-15)             /* the entry lies behind damage: the stream cannot be followed to it */

/* What qx1_entry_state knows before the entry's block was decoded. */
#define QX1_UNKNOWN 3

/* Non-error results of qx1_extract_entry. */
#define QX1_SKIPPED_EXISTING 1       /* a file exists there and QX1_REPLACE was not given */
#define QX1_SKIPPED_IDENTICAL 2      /* the existing file has the same bytes and time */

/* Bits of qx1_entry.flags. */
#define QX1_ENTRY_ESCAPED 1u  /* name has %XX escapes for bytes with no Unicode form or control characters */
#define QX1_ENTRY_UNSAFE 2u   /* name is absolute, has a drive, a ".." component, names no file, or
                                 cannot be a file name on this host (qx1_entry_problem says why) */

typedef struct qx1_archive qx1_archive;

typedef struct qx1_entry {
    const char *name;                 /* UTF-8, '/' between folders; a stored name that ends in a
                                         separator names the file before it (no '/' at the end) */
    const unsigned char *stored_name; /* the name's bytes as stored (Shift-JIS, '\' separators) */
    size_t stored_name_size;
    uint64_t size;                    /* bytes */
    int64_t mtime;                    /* seconds since 1970-01-01 00:00 UTC */
    uint32_t block;                   /* the data block that holds it, from 0 */
    unsigned flags;                   /* QX1_ENTRY_* */
} qx1_entry;

/*
 * Opens an archive: a .qx1 file, or a self-extracting program that carries
 * one. path is UTF-8. password is UTF-8 (converted to Shift-JIS for the
 * key), or NULL for none; it is ignored when the archive has none. On
 * success *out is the archive, to be closed with qx1_close; on failure it
 * is NULL. An archive with unsafe names still opens (see QX1_ENTRY_UNSAFE).
 */
int qx1_open_file(const char *path, const char *password, qx1_archive **out);
/* As qx1_open_file, over size bytes at data, which must stay valid and
   unchanged until qx1_close. */
int qx1_open_memory(const void *data, size_t size, const char *password, qx1_archive **out);

/*
 * An archive's bytes given by the caller: read_at fills up to size bytes at
 * offset into buffer and returns how many it gave (0 past the end), or -1
 * when reading failed; total is the number of bytes (a self-extracting
 * archive is found through its last four). read_at is called during
 * qx1_open_source and later reads, until qx1_close; a failure of read_at
 * makes the call that needed it return QX1_E_OPEN.
 */
typedef struct qx1_source {
    int64_t (*read_at)(void *user, uint64_t offset, void *buffer, size_t size);
    void *user;
    uint64_t total;
} qx1_source;
/* As qx1_open_file, over the bytes that source gives. */
int qx1_open_source(const qx1_source *source, const char *password, qx1_archive **out);

size_t qx1_entry_count(const qx1_archive *a);
/*
 * Makes the list of entries (about 60 bytes an entry, and the names). It is
 * made at the first qx1_entry_at otherwise; calling this first tells a
 * failure (QX1_E_NO_MEMORY), after which qx1_entry_at never returns NULL
 * below qx1_entry_count. qx1_test needs no list.
 */
int qx1_list(qx1_archive *a);
/* The entry at index, or NULL past the end (or when the list cannot be
   made). Valid until qx1_close. */
const qx1_entry *qx1_entry_at(const qx1_archive *a, size_t index);
/* Why entry index carries QX1_ENTRY_UNSAFE, in English ("the name has a
   \"..\" part and would lead outside the output folder"); NULL when it does not. */
const char *qx1_entry_problem(const qx1_archive *a, size_t index);
/* Sum of all entry sizes. */
uint64_t qx1_total_size(const qx1_archive *a);

/* Decodes one entry and hands its bytes to sink in pieces; a nonzero return
   from sink stops it with QX1_E_STOPPED. An empty entry calls sink never. */
int qx1_read_entry(qx1_archive *a, size_t index,
                   int (*sink)(void *user, const void *data, size_t size), void *user);

/* Decodes one entry and sets *data to its bytes (*size of them; NULL for an
   empty entry) inside the archive's decoded block, without a copy. They stay
   valid until the next call on the archive. */
int qx1_entry_data(qx1_archive *a, size_t index, const void **data, size_t *size);

/*
 * Decodes everything. QX1_OK means that every entry decoded without error:
 * the format carries no checksum, so only a manifest of the entries'
 * SHA-256 values (qx list --json --sha256) proves that the bytes are the
 * ones once stored.
 */
int qx1_test(qx1_archive *a);

/*
 * What is known of entry index's data after qx1_test or reads: QX1_OK when
 * it decoded (an empty entry always), QX1_E_DAMAGED when its block failed,
 * QX1_E_LOST when it lies behind a failed block, QX1_UNKNOWN when its block
 * has not been decoded yet. Entries of blocks before a failure stay
 * readable.
 */
int qx1_entry_state(qx1_archive *a, size_t index);

/*
 * Called while data are decoded: done counts the entry bytes decoded so far
 * of total (qx1_total_size), in the stream's order. A nonzero return stops
 * the decode with QX1_E_STOPPED. NULL turns it off.
 */
void qx1_set_progress(qx1_archive *a, int (*progress)(void *user, uint64_t done, uint64_t total), void *user);

#define QX1_REPLACE 1u          /* replace an existing regular file */
#define QX1_SKIP_IDENTICAL 2u   /* leave an existing file whose size, time and bytes match */

/*
 * Writes entry index as a file below the folder dir (UTF-8; created when
 * missing), at path (UTF-8, '/' between folders; NULL for the entry's own
 * name), and gives it the entry's time. Nothing is written outside dir: an
 * absolute path or one with a ".." component is QX1_E_UNSAFE_NAME, and no
 * symbolic link below dir is followed (QX1_E_IN_THE_WAY). The bytes go to a
 * temporary file that replaces the target only when complete, so a failure
 * leaves no partial file and an existing file as it was. Without
 * QX1_REPLACE an existing file is kept (QX1_SKIPPED_EXISTING), also one that
 * appears while the entry is written. A path that ends in '/' names no
 * file (QX1_E_UNSAFE_NAME).
 */
int qx1_extract_entry(qx1_archive *a, size_t index, const char *dir, const char *path, unsigned flags);

/* English text of a result code. */
const char *qx1_strerror(int code);
/* The library's version, QX1_VERSION. */
const char *qx1_version(void);
/* Closes the archive and frees everything it holds; NULL is allowed. */
void qx1_close(qx1_archive *a);

#ifdef __cplusplus
}
#endif

#endif /* QX1_H */
