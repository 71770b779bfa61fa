// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace platform {

// The host's own words for the last failed system call of this thread
// (strerror on POSIX, FormatMessageW on Windows), in UTF-8; empty when it
// has none.
std::string SystemErrorText();

}  // namespace platform
