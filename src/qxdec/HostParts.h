// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

// An output folder (CP932, with or without its trailing separator; empty
// for the current folder) and an entry's name split at its separators
// under the lead-byte rule, both in the host's UTF-8 form for the
// platform's output tree. False when a part has no such form.
bool HostParts(const std::string& folder, const std::string& name, std::string& hostFolder,
               std::vector<std::string>& hostParts);
