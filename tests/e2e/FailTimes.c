/* Loaded with LD_PRELOAD by the end-to-end tests: setting a file's times
   always fails, as on a file system that refuses them. */
#include <errno.h>
#include <sys/stat.h>
#include <utime.h>

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
