#pragma once

#include <string>
#include <vector>

#include "dialog/ConsoleIo.h"

// qxenc: collects the files, builds the archive and writes it. Returns the
// exit status: 0, 1 for a command-line error, 2 for a failure.
int RunEncoder(const std::vector<std::string>& args, ConsoleIo& console);
