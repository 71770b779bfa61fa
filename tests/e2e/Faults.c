/* Loaded with LD_PRELOAD by the end-to-end tests to make the host fail
   where it rarely does: setting a file's times always fails, as on a file
   system that refuses them, and a read of exactly kFailingRead bytes fails
   as on a bad disk. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdio.h>
#include <sys/stat.h>
#include <utime.h>

enum { kFailingRead = 4321 };

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
    return next(buffer, size, count, file);
}
