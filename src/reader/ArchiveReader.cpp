#include "reader/ArchiveReader.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "archive/PasswordKey.h"
#include "archive/StoredName.h"
#include "platform/Encoding.h"
#include "platform/Memory.h"
#include "platform/OutputTree.h"
#include "util/PathSeparator.h"

namespace {

// Progress is reported between steps of this many decoded bytes.
constexpr int32_t kProgressStep = 1 << 20;
// A block's start is remembered when at least this many bytes of entry data
// lie between it and the last one remembered: reading an entry then decodes
// at most about this much that it does not need, and the marks (40 bytes
// each) take memory in proportion to the data, at most 4 %, not to the
// number of blocks, which a hostile directory can make huge.
constexpr uint64_t kMarkSpacing = 1 << 10;

int FromLoadResult(LoadResult result) {
    switch (result) {
        case LoadResult::Loaded:
            return QX1_OK;
        case LoadResult::NoMemory:
            return QX1_E_NO_MEMORY;
        default:
            return QX1_E_DAMAGED;
    }
}

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
    }
    return "the name cannot be used as a file name";
}

// True when a name with '/' separators ends in no file name: its last
// part is empty, "." or "..".
bool NamesNoFile(std::string_view name) {
    while (!name.empty() && name.back() == '/') name.remove_suffix(1);
    const size_t slash = name.rfind('/');
    const std::string_view last = slash == std::string_view::npos ? name : name.substr(slash + 1);
    return last.empty() || last == "." || last == "..";
}

// The folders and file name of a relative output path, or false when the
// path would lead outside the output folder or names no file (it ends in a
// separator).
bool SplitOutputPath(const std::string& path, std::vector<std::string>& parts) {
    parts.clear();
    if (path.empty() || path[0] == '/' || path[0] == PathSeparator) return false;
    if (path.back() == '/' || path.back() == PathSeparator) return false;
    if (path.size() >= 2 && path[1] == ':') return false;  // a drive prefix
    size_t start = 0;
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != '/' && path[i] != PathSeparator) continue;
        const std::string part = path.substr(start, i - start);
        start = i + 1;
        if (part == "..") return false;
        if (!part.empty() && part != ".") parts.push_back(part);
    }
    return !parts.empty();
}

}  // namespace

int ArchiveReader::Open(std::unique_ptr<ArchiveStream> source, const char* password) {
    stream = std::move(source);
    ArchiveHeader header;
    if (FindArchiveHeader(*stream, header) != HeaderSearch::Found) return QX1_E_NOT_ARCHIVE;
    streamStart = stream->Tell();
    if (header.flags & ArchiveHeader::kPassword) {
        if (!password || !*password) return QX1_E_PASSWORD_NEEDED;
        std::string cp932;
        if (!platform::Cp932FromUtf8(password, cp932)) return QX1_E_WRONG_PASSWORD;
        if (!ApplyPassword(cp932, header.passwordCheck, stream->key)) return QX1_E_WRONG_PASSWORD;
    }
    // The directory block, the tables and four bytes an entry must fit in
    // what the host has, before any of it is asked for.
    if (header.directorySize > 0 && header.entryCount > 0) {
        const bool large = (header.flags & ArchiveHeader::kLargeTables) != 0;
        const uint64_t wanted = static_cast<uint64_t>(header.directorySize) +
                                static_cast<uint64_t>(ExpansionEngine::TableBytes(large ? 512 : 256)) +
                                4 * static_cast<uint64_t>(header.entryCount);
        if (wanted > platform::UsableMemory()) return QX1_E_NO_MEMORY;
    }
    if (const int loadedResult = FromLoadResult(LoadDirectory(header, stream.get(), loaded));
        loadedResult != QX1_OK) {
        return loadedResult;
    }
    const ArchiveDirectory& directory = *loaded.directory;
    count = static_cast<size_t>(directory.count);
    for (size_t i = 0; i < count; ++i) totalSize += static_cast<uint64_t>(directory.sizes[i]);
    marks.push_back({BlockAt{}, loaded.engine->decoder.Mark()});
    next = BlockAt{};
    decoderReady = true;
    return QX1_OK;
}

size_t ArchiveReader::BlockEnd(size_t first, uint64_t& size) const {
    const int32_t* sizes = loaded.directory->sizes;
    const auto largest = static_cast<uint64_t>(loaded.directory->largestSize);
    size_t i = first;
    size = 0;
    do {
        size += static_cast<uint64_t>(sizes[i]);
        ++i;
    } while (i < count && size + static_cast<uint64_t>(sizes[i]) <= largest);
    return i;
}

int ArchiveReader::List() {
    if (!entries.empty() || count == 0) return QX1_OK;
    // Bounded by the directory block already; refused before it is asked
    // for when the host has too little.
    const uint64_t wanted = static_cast<uint64_t>(count) * (sizeof(qx1_entry) + sizeof(uint64_t));
    if (wanted > platform::UsableMemory()) return QX1_E_NO_MEMORY;
    try {
        entries.resize(count);
        offsets.resize(count);
        const ArchiveDirectory& directory = *loaded.directory;
        const unsigned char* cursor = loaded.buffer->Get() + 8 * count;
        std::string utf8;
        uint64_t offset = 0;
        size_t block = 0;
        for (size_t first = 0; first < count; ++block) {
            uint64_t size = 0;
            const size_t end = BlockEnd(first, size);
            for (size_t i = first; i < end; ++i) {
                const auto rawSize = std::strlen(reinterpret_cast<const char*>(cursor));
                const std::string_view raw(reinterpret_cast<const char*>(cursor), rawSize);
                const std::string hostName = directory.names[static_cast<int32_t>(i)];
                // The library's names have '/' between folders on every host,
                // and a name that ends in a separator names the file before it.
                std::string slashed = NormaliseSeparators(hostName, '/');
                while (slashed.size() > 1 && slashed.back() == '/') slashed.pop_back();
                if (!platform::Utf8FromCp932(slashed, utf8)) utf8 = platform::Utf8FromCp932Lossy(slashed);
                qx1_entry& entry = entries[i];
                // The arena may still move: the name's place is kept as an
                // offset until it is complete.
                entry.name = reinterpret_cast<const char*>(static_cast<uintptr_t>(names.size()));
                names.insert(names.end(), utf8.begin(), utf8.end());
                names.push_back('\0');
                entry.stored_name = cursor;
                entry.stored_name_size = rawSize;
                entry.size = static_cast<uint64_t>(directory.sizes[i]);
                entry.mtime = directory.times[i];
                entry.block = static_cast<uint32_t>(block);
                entry.flags = 0;
                if (NormaliseSeparators(raw, PathSeparator) != hostName) entry.flags |= QX1_ENTRY_ESCAPED;
                if (!IsSafeName(hostName, PathSeparator) || NamesNoFile(slashed)) entry.flags |= QX1_ENTRY_UNSAFE;
                offsets[i] = offset;
                offset += entry.size;
                cursor += rawSize + 1;
            }
            first = end;
        }
        names.shrink_to_fit();
        for (qx1_entry& entry : entries) entry.name = names.data() + reinterpret_cast<uintptr_t>(entry.name);
    } catch (const std::bad_alloc&) {
        entries = {};
        offsets = {};
        names = {};
        return QX1_E_NO_MEMORY;
    }
    return QX1_OK;
}

const qx1_entry* ArchiveReader::Entry(size_t index) {
    if (index >= count || List() != QX1_OK) return nullptr;
    return &entries[index];
}

const char* ArchiveReader::NameProblem(size_t index) const {
    if (index >= count) return nullptr;
    const std::string hostName = loaded.directory->names[static_cast<int32_t>(index)];
    if (const char* fault = FaultText(CheckStoredName(hostName, PathSeparator, PathSeparator == '\\'))) return fault;
    return NamesNoFile(NormaliseSeparators(hostName, '/')) ? "the name ends in no file name" : nullptr;
}

bool ArchiveReader::StartAtMark(size_t b) {
    // The last mark at or before block b.
    const auto after = std::upper_bound(marks.begin(), marks.end(), b,
                                        [](size_t block, const Mark& mark) { return block < mark.at.block; });
    const Mark& mark = *(after - 1);
    decoderReady = false;
    const auto offset = static_cast<int64_t>(mark.position.BufferStart());
    if (!stream->Seek(streamStart + offset, SEEK_SET) || !loaded.engine->decoder.Restore(mark.position)) return false;
    next = mark.at;
    decoderReady = true;
    return true;
}

int ArchiveReader::ExpandNext() {
    uint64_t blockSize = 0;
    const BlockAt at = next;
    const size_t end = BlockEnd(at.first, blockSize);
    const auto size = static_cast<int32_t>(blockSize);
    ExpansionEngine& engine = *loaded.engine;
    engine.Reset(blockArea, size);
    areaFilled = false;
    for (int32_t pos = 0; pos < size;) {
        if (progress && progress(progressUser, at.offset + static_cast<uint64_t>(pos), totalSize) != 0) {
            decoderReady = false;
            return QX1_E_STOPPED;
        }
        pos = size - pos > kProgressStep ? pos + kProgressStep : size;
        if (engine.Expand(pos) != ExpansionEngine::kDone) {
            failedBlock = std::min(failedBlock, at.block);
            decoderReady = false;
            return QX1_E_DAMAGED;
        }
    }
    decoded = at;
    areaFilled = true;
    next = {at.block + 1, end, at.offset + blockSize};
    if (next.first < count && next.block > marks.back().at.block &&
        next.offset >= marks.back().at.offset + kMarkSpacing) {
        marks.push_back({next, engine.decoder.Mark()});
    }
    if (progress && progress(progressUser, at.offset + blockSize, totalSize) != 0) return QX1_E_STOPPED;
    return QX1_OK;
}

int ArchiveReader::DecodeBlock(size_t b) {
    if (areaFilled && decoded.block == b) return QX1_OK;
    if (failedBlock != kNone && b >= failedBlock) return QX1_E_DAMAGED;
    if (!blockArea) {
        const auto largest = static_cast<uint64_t>(loaded.directory->largestSize);
        if (largest > platform::UsableMemory() || !(blockArea = loaded.engine->ReserveArea(largest))) {
            return QX1_E_NO_MEMORY;
        }
    }
    // Go on from where the decoder stands when that is on the way to b and
    // no mark is nearer; else start at the last mark before b.
    const auto after = std::upper_bound(marks.begin(), marks.end(), b,
                                        [](size_t block, const Mark& mark) { return block < mark.at.block; });
    if (!decoderReady || next.block > b || next.block < (after - 1)->at.block) {
        if (!StartAtMark(b)) {
            failedBlock = std::min(failedBlock, (after - 1)->at.block);
            return QX1_E_OPEN;
        }
    }
    for (;;) {
        const size_t expanding = next.block;
        if (const int result = ExpandNext(); result != QX1_OK) return result;
        if (expanding == b) return QX1_OK;
    }
}

int ArchiveReader::EntryData(size_t index, const unsigned char*& data, size_t& size) {
    data = nullptr;
    size = 0;
    if (index >= count) return QX1_E_NO_ENTRY;
    if (const int result = List(); result != QX1_OK) return result;
    size = static_cast<size_t>(entries[index].size);
    if (size == 0) return QX1_OK;
    if (const int result = DecodeBlock(entries[index].block); result != QX1_OK) {
        size = 0;
        return result;
    }
    data = blockArea + (offsets[index] - decoded.offset);
    return QX1_OK;
}

int ArchiveReader::Test() {
    for (size_t b = 0, first = 0; first < count; ++b) {
        uint64_t size = 0;
        first = BlockEnd(first, size);
        if (const int result = DecodeBlock(b); result != QX1_OK) return result;
    }
    return QX1_OK;
}

int ArchiveReader::ExtractEntry(size_t index, const char* dir, const char* path, unsigned flags) {
    if (index >= count) return QX1_E_NO_ENTRY;
    if (!dir) return QX1_E_ARGUMENT;
    const qx1_entry* entry = Entry(index);
    if (!entry) return QX1_E_NO_MEMORY;
    if (!path && (entry->flags & QX1_ENTRY_UNSAFE)) return QX1_E_UNSAFE_NAME;
    std::vector<std::string> parts;
    if (!SplitOutputPath(path ? path : entry->name, parts)) return QX1_E_UNSAFE_NAME;
    const unsigned char* data = nullptr;
    size_t size = 0;
    if (const int result = EntryData(index, data, size); result != QX1_OK) return result;
    platform::OutputRequest request;
    request.replace = (flags & QX1_REPLACE) != 0;
    request.skipIdentical = (flags & QX1_SKIP_IDENTICAL) != 0;
    request.time = entry->mtime;
    switch (platform::WriteFileBelow(dir, parts, data, size, request).result) {
        case platform::OutputResult::Written:
            return QX1_OK;
        case platform::OutputResult::SkippedExisting:
            return QX1_SKIPPED_EXISTING;
        case platform::OutputResult::SkippedIdentical:
            return QX1_SKIPPED_IDENTICAL;
        case platform::OutputResult::InTheWay:
            return QX1_E_IN_THE_WAY;
        case platform::OutputResult::ReadOnly:
            return QX1_E_READ_ONLY;
        default:
            break;
    }
    return QX1_E_WRITE;
}
