// SPDX-License-Identifier: MIT
#include <windows.h>

#include <exception>
#include <vector>

#include "platform/Workers.h"

namespace platform {

namespace {

struct Worker {
    const std::function<void(int)>* work;
    int index;
    std::exception_ptr failure;
};

DWORD WINAPI RunWorker(LPVOID parameter) {
    auto* worker = static_cast<Worker*>(parameter);
    try {
        (*worker->work)(worker->index);
    } catch (...) {
        worker->failure = std::current_exception();
    }
    return 0;
}

}  // namespace

int HostThreads() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwNumberOfProcessors == 0 ? 1 : static_cast<int>(info.dwNumberOfProcessors);
}

void RunWorkers(int count, const std::function<void(int worker)>& work) {
    std::vector<Worker> workers(count < 1 ? 1 : static_cast<size_t>(count));
    std::vector<HANDLE> threads;
    // Room for every handle first: nothing may throw once a thread runs.
    threads.reserve(workers.size());
    for (size_t i = 0; i < workers.size(); ++i) workers[i] = Worker{&work, static_cast<int>(i), nullptr};
    for (size_t i = 1; i < workers.size(); ++i) {
        const HANDLE thread = CreateThread(nullptr, 0, RunWorker, &workers[i], 0, nullptr);
        if (!thread) break;  // no more threads: the ones running take the rest
        threads.push_back(thread);
    }
    RunWorker(&workers[0]);
    for (const HANDLE thread : threads) {
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    }
    for (const Worker& worker : workers) {
        if (worker.failure) std::rethrow_exception(worker.failure);
    }
}

}  // namespace platform
