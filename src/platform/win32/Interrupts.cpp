// SPDX-License-Identifier: MIT
#include "platform/Interrupts.h"

namespace platform {

// Windows has no file-size signal, and an interrupted program's temporary
// file (NAME.qx-part beside the target) is replaced by the next run.
void CleanUpOnInterrupt() {}

}  // namespace platform
