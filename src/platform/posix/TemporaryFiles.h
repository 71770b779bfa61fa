#pragma once

#include <string>

namespace platform::TemporaryFiles {

// Records the temporary file name (relative to the folder descriptor, or
// AT_FDCWD) that an interrupt must remove; one at a time. Nothing is kept
// unless CleanUpOnInterrupt was called.
void Add(int folder, const std::string& name);
// The recorded file is complete or gone.
void Remove();

}  // namespace platform::TemporaryFiles
