// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "platform/ConsoleIo.h"

// The archive creator of qxenc and qx create: collects the files, builds
// the archive and writes it. args[0] is not read; program names the caller
// in messages. Returns the exit status: 0, 1 for a command-line error, 2
// for a failure.
int RunCreateCommand(const std::vector<std::string>& args, ConsoleIo& console, const std::string& program = "qxenc");
