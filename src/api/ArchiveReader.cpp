#include "api/ArchiveReader.h"

#include <algorithm>
#include <cstring>

#include "archive/PasswordKey.h"
#include "archive/StoredName.h"
#include "platform/Encoding.h"
#include "platform/OutputTree.h"
#include "util/PathSeparator.h"

namespace {

// Progress is reported between steps of this many decoded bytes.
constexpr int32_t kProgressStep = 1 << 20;

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

// The folders and file name of a relative output path, or false when the
// path would lead outside the output folder.
bool SplitOutputPath(const std::string& path, std::vector<std::string>& parts) {
    parts.clear();
    if (path.empty() || path[0] == '/' || path[0] == PathSeparator) return false;
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
    if (const int loadedResult = FromLoadResult(LoadDirectory(header, stream.get(), nullptr, loaded));
        loadedResult != QX1_OK) {
        return loadedResult;
    }
    ListEntries();
    blockStarts.push_back(loaded.engine->decoder.Mark());
    decoderAt = 0;
    return QX1_OK;
}

void ArchiveReader::ListEntries() {
    const ArchiveDirectory& directory = *loaded.directory;
    const auto count = static_cast<size_t>(directory.count);
    blocks = CutBlocks(directory.sizes, directory.count, directory.largestSize);
    blockStarts.reserve(blocks.size());
    entries.resize(count);
    names.resize(count);
    entryOffsets.resize(count);
    const unsigned char* cursor = loaded.buffer->Get() + 8 * count;
    uint32_t b = 0;
    for (const Block& block : blocks) {
        blockOffsets.push_back(totalSize);
        uint64_t offset = 0;
        for (int32_t k = block.first; k < block.end; ++k) {
            const auto i = static_cast<size_t>(k);
            const auto rawSize = std::strlen(reinterpret_cast<const char*>(cursor));
            const std::string_view raw(reinterpret_cast<const char*>(cursor), rawSize);
            const std::string& hostName = directory.names[k];
            // The library's names have '/' between folders on every host.
            const std::string slashed = NormaliseSeparators(hostName, '/');
            if (!platform::Utf8FromCp932(slashed, names[i])) names[i] = platform::Utf8FromCp932Lossy(slashed);
            qx1_entry& entry = entries[i];
            entry.name = names[i].c_str();
            entry.stored_name = cursor;
            entry.stored_name_size = rawSize;
            entry.size = static_cast<uint64_t>(directory.sizes[k]);
            entry.mtime = directory.times[k];
            entry.block = b;
            entry.flags = 0;
            if (NormaliseSeparators(raw, PathSeparator) != hostName) entry.flags |= QX1_ENTRY_ESCAPED;
            if (!IsSafeName(hostName, PathSeparator)) entry.flags |= QX1_ENTRY_UNSAFE;
            entryOffsets[i] = offset;
            offset += entry.size;
            cursor += rawSize + 1;
        }
        totalSize += offset;
        ++b;
    }
}

bool ArchiveReader::MoveDecoderTo(size_t b) {
    if (decoderAt == b) return true;
    const HuffmanDecoder::Position& start = blockStarts[b];
    const auto offset = static_cast<int64_t>(start.BufferStart());
    if (!stream->Seek(streamStart + offset, SEEK_SET) || !loaded.engine->decoder.Restore(start)) return false;
    decoderAt = b;
    return true;
}

int ArchiveReader::ExpandBlock(size_t b) {
    const auto size = static_cast<int32_t>(blocks[b].size);
    ExpansionEngine& engine = *loaded.engine;
    engine.Reset(blockArea, size);
    decoded = kNone;
    for (int32_t pos = 0; pos < size;) {
        if (progress && progress(progressUser, blockOffsets[b] + static_cast<uint64_t>(pos), totalSize) != 0) {
            decoderAt = kNone;
            return QX1_E_STOPPED;
        }
        pos = size - pos > kProgressStep ? pos + kProgressStep : size;
        if (engine.Expand(pos) != ExpansionEngine::kDone) {
            failedBlock = std::min(failedBlock, b);
            decoderAt = kNone;
            return QX1_E_DAMAGED;
        }
    }
    decoded = b;
    decoderAt = b + 1;
    if (decoderAt == blockStarts.size() && decoderAt < blocks.size()) blockStarts.push_back(engine.decoder.Mark());
    if (progress && progress(progressUser, blockOffsets[b] + static_cast<uint64_t>(size), totalSize) != 0) {
        return QX1_E_STOPPED;
    }
    return QX1_OK;
}

int ArchiveReader::DecodeBlock(size_t b) {
    if (decoded == b) return QX1_OK;
    if (failedBlock != kNone && b >= failedBlock) return QX1_E_DAMAGED;
    if (!blockArea && !(blockArea = loaded.engine->ReserveArea(static_cast<size_t>(loaded.directory->largestSize)))) {
        return QX1_E_NO_MEMORY;
    }
    // Start at the block itself when its start is known, else at the last
    // known start, and decode forward.
    const size_t from = std::min(b, blockStarts.size() - 1);
    if (decoderAt == kNone || decoderAt > b || decoderAt < from) {
        if (!MoveDecoderTo(from)) {
            failedBlock = std::min(failedBlock, from);
            return QX1_E_OPEN;
        }
    }
    for (;;) {
        const size_t next = decoderAt;
        if (const int result = ExpandBlock(next); result != QX1_OK) return result;
        if (next == b) return QX1_OK;
    }
}

int ArchiveReader::EntryData(size_t index, const unsigned char*& data, size_t& size) {
    if (index >= entries.size()) return QX1_E_NO_ENTRY;
    size = static_cast<size_t>(entries[index].size);
    data = nullptr;
    if (size == 0) return QX1_OK;
    if (const int result = DecodeBlock(entries[index].block); result != QX1_OK) return result;
    data = blockArea + entryOffsets[index];
    return QX1_OK;
}

int ArchiveReader::Test() {
    for (size_t b = 0; b < blocks.size(); ++b) {
        if (const int result = DecodeBlock(b); result != QX1_OK) return result;
    }
    return QX1_OK;
}

int ArchiveReader::ExtractEntry(size_t index, const char* dir, const char* path, unsigned flags) {
    if (index >= entries.size()) return QX1_E_NO_ENTRY;
    if (!dir) return QX1_E_ARGUMENT;
    const qx1_entry& entry = entries[index];
    if (!path && (entry.flags & QX1_ENTRY_UNSAFE)) return QX1_E_UNSAFE_NAME;
    std::vector<std::string> parts;
    if (!SplitOutputPath(path ? path : entry.name, parts)) return QX1_E_UNSAFE_NAME;
    const unsigned char* data = nullptr;
    size_t size = 0;
    if (const int result = EntryData(index, data, size); result != QX1_OK) return result;
    platform::OutputRequest request;
    request.replace = (flags & QX1_REPLACE) != 0;
    request.skipIdentical = (flags & QX1_SKIP_IDENTICAL) != 0;
    request.time = entry.mtime;
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
