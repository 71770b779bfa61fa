// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

// The length of the program image at the start of path, from its ELF or PE
// headers: bytes behind it are an appended archive. -1 when the file cannot
// be read or is neither format.
int64_t ExecutableImageLength(const std::string& path);
