// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>

#include "platform/ConsoleIo.h"

// Reads a secret from the console key by key, showing "*" for each: Enter
// ends it, Backspace takes the last one back and draws "\r", redraw and the
// stars again, Escape or the end of input gives an empty answer. At most
// limit bytes are taken; the console's key mode ends however the entry
// ends. With toError the echo goes to the console's diagnostics.
std::string ReadMaskedEntry(ConsoleIo& console, const std::string& redraw, size_t limit, bool toError = false);
