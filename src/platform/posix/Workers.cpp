// SPDX-License-Identifier: MIT
#include "platform/Workers.h"

#include <pthread.h>
#include <signal.h>

#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace platform {

int HostThreads() {
    const unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : static_cast<int>(n);
}

void RunWorkers(int count, const std::function<void(int worker)>& work) {
    std::exception_ptr failure;
    std::mutex failureLock;
    auto run = [&](int worker) {
        try {
            work(worker);
        } catch (...) {
            const std::lock_guard<std::mutex> lock(failureLock);
            if (!failure) failure = std::current_exception();
        }
    };
    std::vector<std::thread> threads;
    // Room for every thread first: nothing but the start may throw once one runs.
    threads.reserve(count > 1 ? static_cast<size_t>(count - 1) : 0);
    // The threads started here take no interrupts: those reach the calling
    // thread, whose handler removes the file being written.
    sigset_t interrupts, before;
    sigemptyset(&interrupts);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&interrupts, signal);
    pthread_sigmask(SIG_BLOCK, &interrupts, &before);
    for (int worker = 1; worker < count; ++worker) {
        try {
            threads.emplace_back(run, worker);
        } catch (const std::system_error&) {
            break;  // no more threads: the ones running take the rest
        }
    }
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
    run(0);
    for (std::thread& thread : threads) thread.join();
    if (failure) std::rethrow_exception(failure);
}

}  // namespace platform
