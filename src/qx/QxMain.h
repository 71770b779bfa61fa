// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

// qx: the subcommand named by args[1] with the arguments behind it. Returns
// the exit status.
int RunQx(const std::vector<std::string>& args);
