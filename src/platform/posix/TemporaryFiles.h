// SPDX-License-Identifier: MIT
#pragma once

#include <termios.h>

#include <string>

// What an interrupt must undo before the program ends: the temporary file
// of an output being written, and a terminal left in raw mode.

namespace platform::TemporaryFiles {

// Records the temporary file name (relative to the folder descriptor, or
// AT_FDCWD) that an interrupt must remove; one at a time. Nothing is kept
// unless CleanUpOnInterrupt was called.
void Add(int folder, const std::string& name);
// The recorded file is complete or gone.
void Remove();

}  // namespace platform::TemporaryFiles

namespace platform::TerminalState {

// The terminal's settings before raw mode, restored by Restore or by an
// interrupt.
void Remember(const termios& saved);
void Restore();

}  // namespace platform::TerminalState
