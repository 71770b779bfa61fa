#include "create/ArchiveWriter.h"

#include <algorithm>

#include "archive/ArchiveHeader.h"
#include "archive/BlockPlan.h"
#include "archive/PasswordKey.h"
#include "codec/BitWriter.h"
#include "codec/BlockEncoder.h"
#include "codec/CodeLengths.h"
#include "codec/SymbolWriter.h"

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

std::vector<uint8_t> BuildArchive(const std::vector<ArchiveEntry>& entries, const ArchiveOptions& options) {
    const int n = options.largeTables ? 512 : 256;
    BlockEncoder encoder;
    if (!encoder.Init(n, options.insertEveryPosition)) return {};

    std::vector<Token> tokens;
    const std::vector<uint8_t> directory = DirectoryBlock(entries);
    encoder.EncodeBlock(directory.data(), static_cast<int32_t>(directory.size()), tokens);

    std::vector<int32_t> sizes;
    int32_t largest = 0;
    int64_t dataSize = 0;
    for (const ArchiveEntry& entry : entries) {
        sizes.push_back(static_cast<int32_t>(entry.data.size()));
        largest = std::max(largest, sizes.back());
        dataSize += sizes.back();
    }
    std::vector<uint8_t> block;
    for (const Block& b : CutBlocks(sizes.data(), static_cast<int32_t>(sizes.size()), largest)) {
        block.clear();
        for (int32_t k = b.first; k < b.end; ++k) block.insert(block.end(), entries[k].data.begin(), entries[k].data.end());
        encoder.EncodeBlock(block.data(), static_cast<int32_t>(block.size()), tokens);
    }

    std::vector<uint64_t> mainFrequencies(static_cast<size_t>(2 * n + 256), 0);
    std::vector<uint64_t> lengthFrequencies(SymbolWriter::kLengthSymbols, 0);
    for (const Token& token : tokens) {
        ++mainFrequencies[token.symbol];
        if (token.symbol < n) ++lengthFrequencies[SymbolWriter::LengthSymbol(token.lengthValue)];
    }
    SymbolWriter writer;
    if (!writer.Build(BuildCodeLengths(mainFrequencies), BuildCodeLengths(lengthFrequencies))) return {};
    BitWriter bits;
    writer.WriteDescription(bits);
    for (const Token& token : tokens) {
        writer.WriteSymbol(bits, token.symbol);
        if (token.symbol < n) writer.WriteLength(bits, token.lengthValue);
    }
    bits.Flush();

    ArchiveHeader header;
    header.flags = static_cast<unsigned char>((options.largeTables ? ArchiveHeader::kLargeTables : 0) |
                                              (options.insertEveryPosition ? ArchiveHeader::kInsertEveryPosition : 0));
    header.directorySize = static_cast<int32_t>(directory.size());
    header.totalSize = static_cast<int32_t>(directory.size() + dataSize);
    header.entryCount = static_cast<int32_t>(entries.size());
    if (!options.password.empty()) {
        const PasswordKey key = DerivePasswordKey(options.password);
        header.flags |= ArchiveHeader::kPassword;
        header.passwordCheck = key.check;
        for (size_t p = 0; p < bits.bytes.size(); ++p) bits.bytes[p] ^= static_cast<uint8_t>(key.key >> (24 - 8 * (p & 3)));
    }
    std::vector<uint8_t> archive(ArchiveHeader::kSize);
    header.Write(archive.data());
    archive.insert(archive.end(), bits.bytes.begin(), bits.bytes.end());
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
