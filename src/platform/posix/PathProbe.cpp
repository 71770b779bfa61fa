// SPDX-License-Identifier: MIT
#include "platform/PathProbe.h"

#include <sys/stat.h>

#include <cerrno>

#include "platform/posix/HostPath.h"

namespace platform {

bool PathProbe::Exists(const std::string& path) {
    // '/' is never the second byte of a CP932 character: the folder part
    // can be cut from the path as it stands.
    const size_t slash = path.rfind('/');
    const bool inFolder = slash != std::string::npos && slash > 0;
    if (inFolder && missingFolder && path.compare(0, slash, *missingFolder) == 0) {
        return false;
    }
    std::string host;
    struct stat st {};
    if (!HostPath(path, host)) return false;
    if (stat(host.c_str(), &st) == 0) return true;
    // Resolving the path walks its folder part first: a folder part that
    // does not resolve leaves every path below it unresolved.
    if (errno == ENOENT && inFolder && stat(host.substr(0, host.rfind('/')).c_str(), &st) != 0 && errno == ENOENT) {
        missingFolder = path.substr(0, slash);
    }
    return false;
}

}  // namespace platform
