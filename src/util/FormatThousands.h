// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

// Writes a count or size with comma thousands separators; values below 1000,
// negative ones included, are written plainly.
std::string FormatThousands(int64_t value);
