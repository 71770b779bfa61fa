// SPDX-License-Identifier: MIT
#include "create/ArchiveWriter.h"

#include <algorithm>
#include <numeric>

#include "archive/ArchiveHeader.h"
#include "archive/BlockPlan.h"
#include "archive/PasswordKey.h"
#include "codec/Compressor.h"
#include "codec/CodeLengths.h"
#include "codec/TokenStream.h"

namespace {

std::vector<uint8_t> DirectoryBlock(const std::vector<ArchiveEntry>& entries) {
    const size_t count = entries.size();
    std::vector<uint8_t> block(8 * count);
    for (size_t i = 0; i < count; ++i) {
        WriteBigEndian32(&block[4 * i], static_cast<uint32_t>(entries[i].data.size()));
        WriteBigEndian32(&block[4 * (count + i)], static_cast<uint32_t>(entries[i].time));
    }
    for (const ArchiveEntry& entry : entries) {
        block.insert(block.end(), entry.name.begin(), entry.name.end());
        block.push_back(0);
    }
    return block;
}

}  // namespace

std::vector<uint8_t> BuildArchive(std::vector<ArchiveEntry> entries, const ArchiveOptions& options,
                                  const std::function<void(int percent)>& progress) {
    const int n = options.largeTables ? 512 : 256;
    const std::vector<uint8_t> directory = DirectoryBlock(entries);
    std::vector<int32_t> sizes;
    int32_t largest = 0;
    int64_t dataSize = 0;
    for (const ArchiveEntry& entry : entries) {
        sizes.push_back(static_cast<int32_t>(entry.data.size()));
        largest = std::max(largest, sizes.back());
        dataSize += sizes.back();
    }
    // Each block's bytes lie together, as the decoder expands them.
    std::vector<std::vector<uint8_t>> blockBytes;
    std::vector<BlockData> blocks = {{directory.data(), static_cast<int32_t>(directory.size())}};
    for (const Block& b : CutBlocks(sizes.data(), static_cast<int32_t>(sizes.size()), largest)) {
        if (b.end - b.first == 1) {
            blocks.push_back({entries[b.first].data.data(), sizes[b.first]});
            continue;
        }
        std::vector<uint8_t>& bytes = blockBytes.emplace_back();
        bytes.reserve(static_cast<size_t>(std::accumulate(sizes.begin() + b.first, sizes.begin() + b.end, int64_t{0})));
        for (int32_t k = b.first; k < b.end; ++k) {
            bytes.insert(bytes.end(), entries[k].data.begin(), entries[k].data.end());
            std::vector<uint8_t>().swap(entries[k].data);
        }
        blocks.push_back({bytes.data(), static_cast<int32_t>(bytes.size())});
    }
    TokenList tokens(n);
    if (!CompressBlocks(blocks, CompressorOptions{n, options.insertEveryPosition, options.level, progress, options.threads}, tokens)) return {};
    blocks.clear();
    std::vector<std::vector<uint8_t>>().swap(blockBytes);
    std::vector<ArchiveEntry>().swap(entries);

    const SymbolFrequencies counts = CountSymbols(tokens, n);
    std::vector<uint8_t> stream = WriteTokenStream(tokens, n, BuildCodeLengths(counts.main), BuildCodeLengths(counts.lengths));
    tokens.clear();
    if (stream.empty()) return {};

    ArchiveHeader header;
    header.flags = static_cast<unsigned char>((options.largeTables ? ArchiveHeader::kLargeTables : 0) |
                                              (options.insertEveryPosition ? ArchiveHeader::kInsertEveryPosition : 0));
    header.directorySize = static_cast<int32_t>(directory.size());
    header.totalSize = static_cast<int32_t>(directory.size() + dataSize);
    header.entryCount = static_cast<int32_t>(sizes.size());
    if (!options.password.empty()) {
        const PasswordKey key = DerivePasswordKey(options.password);
        header.flags |= ArchiveHeader::kPassword;
        header.passwordCheck = key.check;
        for (size_t p = 0; p < stream.size(); ++p) stream[p] ^= static_cast<uint8_t>(key.key >> (24 - 8 * (p & 3)));
    }
    std::vector<uint8_t> archive(ArchiveHeader::kSize);
    header.Write(archive.data());
    archive.insert(archive.end(), stream.begin(), stream.end());
    return archive;
}

std::vector<uint8_t> AppendToProgram(const std::vector<uint8_t>& program, const std::vector<uint8_t>& archive) {
    std::vector<uint8_t> file = program;
    file.insert(file.end(), archive.begin(), archive.end());
    unsigned char trailer[4];
    WriteBigEndian32(trailer, static_cast<uint32_t>(archive.size()));
    file.insert(file.end(), trailer, trailer + 4);
    return file;
}
