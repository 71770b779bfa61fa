// SPDX-License-Identifier: MIT
#include "platform/Monitor.h"

#include <condition_variable>
#include <mutex>

namespace platform {

struct Monitor::State {
    std::mutex mutex;
    std::condition_variable changed;
};

Monitor::Monitor() : state(std::make_unique<State>()) {}

Monitor::~Monitor() = default;

void Monitor::Lock() { state->mutex.lock(); }

void Monitor::Unlock() { state->mutex.unlock(); }

void Monitor::Wait() {
    // The caller holds the mutex: adopt it for the wait and keep it after.
    std::unique_lock<std::mutex> held(state->mutex, std::adopt_lock);
    state->changed.wait(held);
    held.release();
}

void Monitor::NotifyAll() { state->changed.notify_all(); }

}  // namespace platform
