// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes bytes to a temporary file beside target (an internal CP932 path)
// and renames it into place only when complete: on failure no file is left
// and an existing target is untouched. See platform::ReplacingFile for
// links, devices and permission bits; executable makes a new file
// executable.
bool WriteFileAtomically(const std::string& target, const std::vector<uint8_t>& bytes, bool executable = false);

// Reads a whole regular file (as many bytes as it has, up to one more than
// its size said); false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes);
