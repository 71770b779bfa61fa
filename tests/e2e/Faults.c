// SPDX-License-Identifier: MIT
/* Loaded with LD_PRELOAD by the end-to-end tests to make the host fail
   where it rarely does: setting a file's times always fails, as on a file
   system that refuses them, a read of exactly kFailingRead bytes fails
   as on a bad disk, and a read of exactly kRewritingRead bytes is followed
   by another writer rewriting the file's first byte with the same value, as
   an editor saving an unchanged file would (its size stays, its times move). */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>
#include <sys/stat.h>
#include <utime.h>

enum { kFailingRead = 4321, kRewritingRead = 7778 };

static void RewriteFirstByte(FILE* file, unsigned char first) {
    char link[64], path[4096];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fileno(file));
    const ssize_t length = readlink(link, path, sizeof path - 1);
    if (length <= 0) return;
    path[length] = 0;
    const int fd = open(path, O_WRONLY);
    if (fd < 0) return;
    if (pwrite(fd, &first, 1, 0) != 1) errno = EIO;
    close(fd);
}

int futimens(int fd, const struct timespec times[2]) {
    (void)fd;
    (void)times;
    errno = EPERM;
    return -1;
}

int utime(const char* path, const struct utimbuf* times) {
    (void)path;
    (void)times;
    errno = EPERM;
    return -1;
}

size_t fread(void* buffer, size_t size, size_t count, FILE* file) {
    typedef size_t (*Fread)(void*, size_t, size_t, FILE*);
    static Fread next;
    if (size * count == kFailingRead) {
        errno = EIO;
        return 0;
    }
    if (!next) next = (Fread)dlsym(RTLD_NEXT, "fread");
    const size_t got = next(buffer, size, count, file);
    if (size * count == kRewritingRead && got > 0) RewriteFirstByte(file, *(unsigned char*)buffer);
    return got;
}
