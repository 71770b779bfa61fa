// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <memory>

#include "archive/ArchiveDirectory.h"
#include "archive/ArchiveHeader.h"
#include "codec/InputStream.h"
#include "codec/ExpansionEngine.h"
#include "util/BufferHolder.h"

// What became of loading an archive's directory.
enum class LoadResult { Loaded, Damaged, NoMemory, BeyondArea, NoSuchData };

// The parts of an opened archive that loading the directory makes.
struct LoadedDirectory {
    std::unique_ptr<BufferHolder> buffer;
    std::unique_ptr<ExpansionEngine> engine;
    std::unique_ptr<ArchiveDirectory> directory;
    int64_t bytesWanted = 0;  // the allocation that failed, for NoMemory
};

// Allocates the directory buffer, builds the engine over stream (whose key
// must be in place), expands the directory block and parses it. The
// stream must stand right behind the header.
LoadResult LoadDirectory(const ArchiveHeader& header, InputStream* stream, LoadedDirectory& loaded);
