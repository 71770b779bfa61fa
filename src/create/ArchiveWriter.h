// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// One file to store: its stored name (CP932, "\" separators), its
// modification time and its bytes.
struct ArchiveEntry {
    std::string name;
    int32_t time = 0;
    std::vector<uint8_t> data;
};

struct ArchiveOptions {
    bool largeTables = false;          // 512 slots per context instead of 256
    bool insertEveryPosition = false;  // file every position of a step
    std::string password;              // CP932; empty for none
    int level = 5;                     // 1 (fastest) to 9 (smallest)
    int threads = 0;                   // that parse blocks; 0: as many as the host runs
};

// Builds a whole archive: header, then one bit stream with one code for the
// directory block and every block of file data. Empty on failure (no memory).
// The entries are taken: their bytes are let go as soon as they are copied
// or compressed, so that a large archive is not held twice.
std::vector<uint8_t> BuildArchive(std::vector<ArchiveEntry> entries, const ArchiveOptions& options,
                                  const std::function<void(int percent)>& progress = {});

// A self-extracting file: the program, the archive and the 4-byte trailer.
std::vector<uint8_t> AppendToProgram(const std::vector<uint8_t>& program, const std::vector<uint8_t>& archive);
