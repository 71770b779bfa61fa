// SPDX-License-Identifier: MIT
#pragma once

#include <functional>

namespace platform {

// How many threads the host runs at once; at least 1.
int HostThreads();

// Runs work(0) to work(count - 1) at the same time, work(0) on the calling
// thread and each other one on a thread of its own, and returns when all
// have returned. Where the host cannot start a thread, that worker does
// not run: callers hand out their tasks so that any number of workers ends
// them all. An exception that a worker throws is thrown again here, once
// all have ended.
void RunWorkers(int count, const std::function<void(int worker)>& work);

}  // namespace platform
