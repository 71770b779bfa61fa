// SPDX-License-Identifier: MIT
#include <windows.h>

#include "platform/Monitor.h"

namespace platform {

struct Monitor::State {
    SRWLOCK lock = SRWLOCK_INIT;
    CONDITION_VARIABLE changed = CONDITION_VARIABLE_INIT;
};

Monitor::Monitor() : state(std::make_unique<State>()) {}

Monitor::~Monitor() = default;

void Monitor::Lock() { AcquireSRWLockExclusive(&state->lock); }

void Monitor::Unlock() { ReleaseSRWLockExclusive(&state->lock); }

void Monitor::Wait() { SleepConditionVariableSRW(&state->changed, &state->lock, INFINITE, 0); }

void Monitor::NotifyAll() { WakeAllConditionVariable(&state->changed); }

}  // namespace platform
