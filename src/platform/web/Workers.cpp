// SPDX-License-Identifier: MIT
#include "platform/Workers.h"

namespace platform {

// The page's module is built without threads: one worker, the caller.
int HostThreads() { return 1; }

void RunWorkers(int, const std::function<void(int worker)>& work) { work(0); }

}  // namespace platform
