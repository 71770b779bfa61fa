// SPDX-License-Identifier: MIT
#include "platform/PathProbe.h"

#include "platform/Files.h"

namespace platform {

// Windows folds "folder\.." out of a path before it looks, so that a path
// can exist below a missing folder: every path is looked at.
bool PathProbe::Exists(const std::string& path) {
    FileStatus status;
    return Stat(path, status);
}

}  // namespace platform
