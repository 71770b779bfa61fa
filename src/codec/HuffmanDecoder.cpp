// SPDX-License-Identifier: MIT
#include "codec/HuffmanDecoder.h"

#include <algorithm>
#include <new>

namespace {

constexpr uint16_t kNoIndex = 0xFFFF;

// True when the top length bits of code and window agree.
inline bool PrefixMatches(uint32_t code, int length, uint32_t window) {
    if (length >= 32) return length == 32 && code == window;
    const int shift = 32 - length;
    return (code >> shift) == (window >> shift);
}

// Enters every code of up to 12 bits in table under each window prefix it
// begins; every code is a leaf of one tree, so none covers another.
template <size_t Size>
void FillShortCodes(const HuffmanTable& codes, uint16_t (&table)[Size], int symbolBits) {
    constexpr int bits = std::bit_width(Size) - 1;
    for (int s = 0; s < codes.symbolCount; ++s) {
        const int length = codes.codeLengths[s];
        if (length == 0 || length > bits) continue;
        const uint32_t first = codes.codes[s] >> (32 - bits);
        const auto known = static_cast<uint16_t>(length << symbolBits | s);
        std::fill(table + first, table + first + (1u << (bits - length)), known);
    }
}

bool CodesFit(const HuffmanTable& table) {
    for (int i = 0; i < table.symbolCount; ++i) {
        if (table.codeLengths[i] > 32) return false;
    }
    return true;
}

}  // namespace

HuffmanDecoder::HuffmanDecoder(InputStream* stream, int tableSize)
    : source(stream), symbolCount(2 * tableSize + 256) {
    allocated_ = symbolTable.Allocate(symbolCount) && lengthTable.Allocate(kLengthSymbols);
    inputCount = static_cast<uint16_t>(source->Read(inputBuffer, kInputBlock));
    inputPos = 0;
    streamBytes = inputCount;
    sourceEnded = inputCount == 0;
    bufferBytes = inputCount;
    sortedCodes.reset(new (std::nothrow) SortedCode[symbolCount]);
    allocated_ = allocated_ && sortedCodes;
    decodeError = 0;
    if (allocated_) BuildCodes();
}

bool HuffmanDecoder::Restore(const Position& position) {
    if (source->Read(inputBuffer, kInputBlock) != position.bufferBytes) return false;
    bitBuffer = position.bitBuffer;
    streamBytes = position.streamBytes;
    bitCount = position.bitCount;
    inputCount = position.inputCount;
    inputPos = position.inputPos;
    fetchedBase = position.fetchedBytes - position.inputPos;
    bufferBytes = position.bufferBytes;
    sourceEnded = position.sourceEnded;
    decodeError = 0;
    return true;
}

void HuffmanDecoder::BuildCodes() {
    FillWindow();
    for (int s = 0; s < symbolCount; ++s) {
        symbolTable.nodes[s].depth = Window() >> 27;
        TakeBits(5);
    }
    for (int s = 0; s < kLengthSymbols; ++s) {
        lengthTable.nodes[s].depth = Window() >> 27;
        TakeBits(5);
    }
    MergeCodes(symbolTable);
    MergeCodes(lengthTable);
    codesUsable_ = CodesFit(symbolTable) && CodesFit(lengthTable);
    if (!codesUsable_) {
        // Such a description cannot be decoded; every symbol fails.
        decodeError = 1;
        return;
    }
    BuildLookup();
}

void HuffmanDecoder::BuildLookup() {
    // The words come from one tree and fit in 32 bits, so no two are equal.
    int next = 0;
    ForEachInCodeOrder(symbolTable, [&](uint16_t s) {
        sortedCodes[next++] = SortedCode{symbolTable.codes[s], symbolTable.codeLengths[s], s};
    });
    std::fill(std::begin(firstIndex), std::end(firstIndex), kNoIndex);
    for (int i = symbolCount - 1; i >= 1; --i) firstIndex[sortedCodes[i].code >> 20] = static_cast<uint16_t>(i);
    firstIndex[0] = 0;
    for (int k = 1; k < 4096; ++k) {
        if (firstIndex[k] == kNoIndex) firstIndex[k] = firstIndex[k - 1];
    }
    FillShortCodes(symbolTable, shortSymbols, kSymbolBits);
    FillShortCodes(lengthTable, shortLengths, kSymbolBits);
}

uint16_t HuffmanDecoder::DecodeLongSymbol(uint32_t w) {
    if (!codesUsable_) return Fail();
    for (int p = firstIndex[w >> 20]; p < symbolCount; ++p) {
        const SortedCode& entry = sortedCodes[p];
        if (PrefixMatches(entry.code, entry.length, w)) {
            TakeBits(entry.length);
            return entry.symbol;
        }
    }
    return Fail();
}

uint32_t HuffmanDecoder::DecodeLengthSlow() {
    if (!codesUsable_) return Fail();
    const uint32_t w = Window();
    const unsigned known = shortLengths[w >> 20];
    int found = known != 0 ? static_cast<int>(known & kSymbolMask) : -1;
    if (found < 0) {
        for (int v = 0; v < kLengthSymbols; ++v) {
            if (PrefixMatches(lengthTable.codes[v], lengthTable.codeLengths[v], w)) {
                found = v;
                break;
            }
        }
        if (found < 0) return Fail();
    }
    TakeBits(lengthTable.codeLengths[found]);
    if (found != kLengthEscape) return static_cast<uint32_t>(found);
    const int n = static_cast<int>(Window() >> 27) + 1;
    TakeBits(5);
    const uint32_t u = Window();
    TakeBits(n);
    return n == 32 ? u : u >> (32 - n);
}
