// SPDX-License-Identifier: MIT
#pragma once

// What the fuzz targets share: a bound on the work one input may ask for,
// and a private folder per process (parallel workers never share files).

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz {

// Inputs whose archive declares more than this (expanded size, directory,
// or one entry) are skipped: they only measure the allocator.
constexpr int64_t kMaxDeclaredBytes = 1 << 20;

// True when data is no archive, or an archive within the bound.
bool WithinBounds(const uint8_t* data, size_t size);

// A folder of this process's own under the system's temporary folder,
// made on first use (internal CP932 form, ending in the separator).
const std::string& PrivateFolder();

}  // namespace fuzz
