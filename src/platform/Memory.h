// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace platform {

// The most memory this process can have: the host's physical memory, or
// less where a limit on the process says so. What an archive declares is
// measured against it before anything is allocated, so that a hostile
// header is refused instead of growing the process until the host kills it.
uint64_t UsableMemory();

}  // namespace platform
