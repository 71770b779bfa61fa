// SPDX-License-Identifier: MIT
#include "api/EntryList.h"

#include <new>

#include "archive/StoredName.h"
#include "platform/Encoding.h"
#include "platform/Memory.h"
#include "util/PathSeparator.h"

namespace {

const char* FaultText(NameFault fault) {
    switch (fault) {
        case NameFault::None:
            return nullptr;
        case NameFault::Empty:
            return "the name is empty";
        case NameFault::Absolute:
            return "the name is absolute and would lead outside the output folder";
        case NameFault::Drive:
            return "the name has a drive prefix and would lead outside the output folder";
        case NameFault::ParentFolder:
            return "the name has a \"..\" part and would lead outside the output folder";
        case NameFault::Colon:
            return "the name has a \":\", which Windows takes for a data stream";
        case NameFault::DeviceName:
            return "the name has a part that Windows takes for a device (CON, NUL, COM1, ...)";
        case NameFault::TrailingDotOrSpace:
            return "the name has a part ending in a dot or a space, which Windows drops";
        case NameFault::TooLong:
            return "the name has a part longer than a file name can be";
        case NameFault::NoFileName:
            return "the name ends in no file name";
    }
    return "the name cannot be used as a file name";
}

}  // namespace

const char* NameProblemText(const ArchiveReader& reader, size_t index) {
    if (index >= reader.Count()) return nullptr;
    return FaultText(CheckEntryName(reader.Directory().names[static_cast<int32_t>(index)]));
}

int EntryList::Make(ArchiveReader& reader) {
    const size_t count = reader.Count();
    if (Made() || count == 0) return QX1_OK;
    // Bounded by the directory block already; refused before it is asked
    // for when the host has too little.
    if (static_cast<uint64_t>(count) * sizeof(qx1_entry) > platform::UsableMemory()) return QX1_E_NO_MEMORY;
    try {
        entries.resize(count);
        const ArchiveDirectory& directory = reader.Directory();
        std::string utf8;
        for (size_t i = 0; i < count; ++i) {
            const std::string_view stored = reader.StoredName(i);
            const std::string hostName = directory.names[static_cast<int32_t>(i)];
            std::string slashed = NormaliseSeparators(hostName, '/');
            while (slashed.size() > 1 && slashed.back() == '/') slashed.pop_back();
            if (!platform::Utf8FromCp932(slashed, utf8)) utf8 = platform::Utf8FromCp932Lossy(slashed);
            qx1_entry& entry = entries[i];
            // The arena may still move: the name's place is kept as an
            // offset until it is complete.
            entry.name = reinterpret_cast<const char*>(static_cast<uintptr_t>(names.size()));
            names.insert(names.end(), utf8.begin(), utf8.end());
            names.push_back('\0');
            entry.stored_name = reinterpret_cast<const unsigned char*>(stored.data());
            entry.stored_name_size = stored.size();
            entry.size = static_cast<uint64_t>(directory.sizes[i]);
            entry.mtime = directory.times[i];
            if (reader.BlockOf(i, entry.block) != ReadFault::None) throw std::bad_alloc();
            entry.flags = 0;
            if (NormaliseSeparators(stored, PathSeparator) != hostName) entry.flags |= QX1_ENTRY_ESCAPED;
            if (CheckEntryName(hostName) != NameFault::None) entry.flags |= QX1_ENTRY_UNSAFE;
        }
        names.shrink_to_fit();
        for (qx1_entry& entry : entries) entry.name = names.data() + reinterpret_cast<uintptr_t>(entry.name);
    } catch (const std::bad_alloc&) {
        entries = {};
        names = {};
        return QX1_E_NO_MEMORY;
    }
    return QX1_OK;
}
