// SPDX-License-Identifier: MIT
#include "reader/LoadDirectory.h"

#include <new>

LoadResult LoadDirectory(const ArchiveHeader& header, InputStream* stream, LoadedDirectory& loaded) {
    if (header.directorySize < 0 || header.entryCount < 0) return LoadResult::Damaged;
    loaded.buffer.reset(new (std::nothrow) BufferHolder);
    if (!loaded.buffer || !loaded.buffer->Allocate(static_cast<size_t>(header.directorySize))) {
        loaded.bytesWanted = header.directorySize;
        return LoadResult::NoMemory;
    }
    loaded.engine.reset();
    const bool large = (header.flags & ArchiveHeader::kLargeTables) != 0;
    loaded.engine.reset(new (std::nothrow)
                            ExpansionEngine(stream, (header.flags & ArchiveHeader::kInsertEveryPosition) != 0, large));
    if (!loaded.engine || !loaded.engine->Allocated()) {
        loaded.bytesWanted = ExpansionEngine::TableBytes(large ? 512 : 256);
        return LoadResult::NoMemory;
    }
    loaded.engine->Reset(loaded.buffer->Get(), header.directorySize);
    const ExpandResult expanded = loaded.engine->Expand(header.directorySize);
    if (expanded == ExpandResult::BeyondArea) return LoadResult::BeyondArea;
    if (expanded != ExpandResult::Done) return LoadResult::NoSuchData;
    loaded.directory.reset(new (std::nothrow) ArchiveDirectory);
    if (!loaded.directory) {
        loaded.bytesWanted = sizeof(ArchiveDirectory);
        return LoadResult::NoMemory;
    }
    if (!loaded.directory->Build(loaded.buffer->Get(), header.directorySize, header.entryCount)) {
        loaded.bytesWanted = int64_t{header.entryCount} * 4;
        return loaded.directory->outOfMemory ? LoadResult::NoMemory : LoadResult::Damaged;
    }
    return LoadResult::Loaded;
}
