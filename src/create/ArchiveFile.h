#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes bytes to a temporary file beside target and renames it into place
// only when complete: on failure no file is left and an existing target is
// untouched.
bool WriteFileAtomically(const std::string& target, const std::vector<uint8_t>& bytes);

// Reads a whole file; false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes);
