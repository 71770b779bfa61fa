// SPDX-License-Identifier: MIT
#include "reader/OpenSequence.h"

#include "archive/PasswordKey.h"
#include "platform/Memory.h"

ReadFault OpenArchiveStream(ArchiveStream& stream, const PasswordSource& password, OpenedArchive& opened) {
    ArchiveHeader& header = opened.header;
    switch (FindArchiveHeader(stream, header)) {
        case HeaderSearch::ShortFile:
            return ReadFault::ShortFile;
        case HeaderSearch::NotAnArchive:
            return ReadFault::NotAnArchive;
        case HeaderSearch::Found:
            break;
    }
    opened.streamStart = stream.Tell();
    if (header.flags & ArchiveHeader::kPassword) {
        const std::optional<std::string> given = password();
        if (given && given->empty()) return ReadFault::PasswordNeeded;
        if (!given || !ApplyPassword(*given, header.passwordCheck, stream.key)) return ReadFault::WrongPassword;
    }
    // The directory block, the tables and four bytes an entry must fit in
    // what the host has, before any of it is asked for.
    if (header.directorySize > 0 && header.entryCount > 0) {
        const bool large = (header.flags & ArchiveHeader::kLargeTables) != 0;
        const uint64_t wanted = static_cast<uint64_t>(header.directorySize) +
                                static_cast<uint64_t>(ExpansionEngine::TableBytes(large ? 512 : 256)) +
                                4 * static_cast<uint64_t>(header.entryCount);
        if (wanted > platform::UsableMemory()) {
            opened.loaded.bytesWanted = header.directorySize;
            return ReadFault::NoMemory;
        }
    }
    switch (LoadDirectory(header, &stream, opened.loaded)) {
        case LoadResult::Loaded:
            return ReadFault::None;
        case LoadResult::Damaged:
            return ReadFault::DirectoryDamaged;
        case LoadResult::NoMemory:
            return ReadFault::NoMemory;
        case LoadResult::BeyondArea:
            return ReadFault::BeyondArea;
        case LoadResult::NoSuchData:
            return ReadFault::NoSuchData;
    }
    return ReadFault::DirectoryDamaged;
}
