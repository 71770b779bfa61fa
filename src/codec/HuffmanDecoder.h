#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>

#include "archive/InputStream.h"
#include "codec/HuffmanTable.h"

// One entry of the main code sorted by code word.
struct SortedCode {
    uint32_t code = 0;
    uint16_t length = 0;
    uint16_t symbol = 0;
};

// Reads the code description at the head of the compressed stream and then
// turns code words into symbols and length values. The codes are static.
class HuffmanDecoder {
public:
    static constexpr int kLengthSymbols = 128;
    static constexpr int kLengthEscape = 127;
    static constexpr int kInputBlock = 512;

    // Reads the code description at once; the source must stand at the
    // first byte of the compressed stream. tableSize is 256 or 512.
    HuffmanDecoder(InputStream* source, int tableSize);

    // False when memory for the tables was short.
    bool Allocated() const { return allocated_; }

    // The next main symbol, 0 to 2N + 255; 0 with decodeError set on failure.
    uint16_t DecodeSymbol() {
        Refill();
        const uint32_t w = Window();
        const unsigned known = shortSymbols[w >> 20];
        if (known != 0) {
            bitBuffer <<= known >> kSymbolBits;
            bitCount -= static_cast<int>(known >> kSymbolBits);
            return static_cast<uint16_t>(known & kSymbolMask);
        }
        return DecodeLongSymbol(w);  // Refill left 32 bits or more
    }

    // The length value after a symbol below N: 0-126, or an escaped value.
    uint32_t DecodeLength() {
        if (bitCount < 32) FillWindow();
        const unsigned known = shortLengths[Window() >> 20];
        if (known != 0 && (known & kSymbolMask) != kLengthEscape) {
            bitBuffer <<= known >> kSymbolBits;
            bitCount -= static_cast<int>(known >> kSymbolBits);
            return known & kSymbolMask;
        }
        return DecodeLengthSlow();
    }

    uint32_t decodeError = 0;

    HuffmanTable symbolTable;
    HuffmanTable lengthTable;
    std::unique_ptr<SortedCode[]> sortedCodes;
    uint16_t firstIndex[4096] = {};

    // True once decoding has consumed bits beyond the end of the source:
    // the stream was cut short, and what follows is filler.
    bool PastEnd() const {
        return sourceEnded && (fetchedBytes * 8 - static_cast<uint64_t>(bitCount)) > streamBytes * 8;
    }

    // Where the bit reader stands. Decoding can go on from a marked place
    // later, as the tables start empty at every block.
    struct Position {
        uint64_t bitBuffer = 0;
        uint64_t streamBytes = 0;
        uint64_t fetchedBytes = 0;
        int bitCount = 0;
        uint16_t inputCount = 0;
        uint16_t inputPos = 0;
        uint16_t bufferBytes = 0;
        bool sourceEnded = false;
        // Where the source must stand, counted from the stream's first byte,
        // before Restore: the start of the input buffer's last read.
        uint64_t BufferStart() const { return streamBytes - bufferBytes; }
    };
    Position Mark() const {
        return {bitBuffer, streamBytes, fetchedBytes, bitCount, inputCount, inputPos, bufferBytes, sourceEnded};
    }
    // Reads the input buffer again and goes back to a marked place; false
    // when the source no longer gives the same number of bytes.
    bool Restore(const Position& position);

    // The next 32 bits of the stream that decoding has not consumed.
    uint32_t Window() const { return static_cast<uint32_t>(bitBuffer >> 32); }

private:
    void BuildCodes();
    void BuildLookup();
    uint16_t DecodeLongSymbol(uint32_t w);
    uint32_t DecodeLengthSlow();
    uint16_t Fail() {
        decodeError = 1;
        return 0;
    }

    unsigned char NextByte() {
        if (inputCount <= inputPos) {
            // At the end of the source the buffer keeps its bytes, and its
            // first byte is delivered again as filler.
            inputCount = static_cast<uint16_t>(source->Read(inputBuffer, kInputBlock));
            inputPos = 0;
            if (inputCount == 0) sourceEnded = true;
            else bufferBytes = inputCount;
            streamBytes += inputCount;
        }
        ++fetchedBytes;
        return inputBuffer[inputPos++];
    }

    // Consumes k bits (1 to 32) and keeps at least 32 bits of look-ahead;
    // the buffer is refilled only when it has fewer.
    void TakeBits(int k) {
        bitBuffer <<= k;
        bitCount -= k;
        if (bitCount < 32) FillWindow();
    }
    // Before each symbol: while eight bytes of input are at hand, the
    // window is topped up to 56 bits or more without a test of how many it
    // holds (bits past those counted are the stream's next ones, put there
    // again by the next top-up); near the end of the input, as TakeBits.
    void Refill() {
        if ((inputPos + 8 <= inputCount) & (bitCount < 64)) {
            uint64_t word;
            std::memcpy(&word, inputBuffer + inputPos, 8);
            if constexpr (std::endian::native == std::endian::little) word = __builtin_bswap64(word);
            bitBuffer |= word >> bitCount;
            const int bytes = (63 - bitCount) >> 3;
            inputPos = static_cast<uint16_t>(inputPos + bytes);
            fetchedBytes += static_cast<uint64_t>(bytes);
            bitCount |= 56;
        } else if (bitCount < 32) {
            FillWindow();
        }
    }
    void FillWindow() {
        if (bitCount <= 56 && inputPos + 8 <= inputCount) {
            // Eight bytes at hand: take as many whole bytes as fit at once.
            uint64_t word;
            std::memcpy(&word, inputBuffer + inputPos, 8);
            if constexpr (std::endian::native == std::endian::little) word = __builtin_bswap64(word);
            const int bytes = (64 - bitCount) / 8;
            bitBuffer |= (word >> (64 - 8 * bytes)) << (64 - bitCount - 8 * bytes);
            inputPos = static_cast<uint16_t>(inputPos + bytes);
            fetchedBytes += static_cast<uint64_t>(bytes);
            bitCount += 8 * bytes;
            return;
        }
        while (bitCount <= 56) {
            bitBuffer |= uint64_t{NextByte()} << (56 - bitCount);
            bitCount += 8;
        }
    }

    InputStream* source;
    bool sourceEnded = false;
    uint64_t streamBytes = 0;   // bytes the source delivered
    uint64_t fetchedBytes = 0;  // bytes taken into bitBuffer, filler included
    // Bits not yet consumed, left-aligned; the top 32 are the window.
    uint64_t bitBuffer = 0;
    int bitCount = 0;
    unsigned char inputBuffer[kInputBlock] = {};
    uint16_t inputCount = 0;
    uint16_t inputPos = 0;
    uint16_t bufferBytes = 0;  // bytes of the last read that gave any
    int symbolCount;
    bool allocated_ = false;
    // False when the description makes a code word longer than 32 bits.
    bool codesUsable_ = false;
    // Codes of up to 12 bits by the top 12 bits of the window: the symbol
    // in the low 11 bits, the code's length above them; 0 where a longer
    // code (or no usable code) must be searched.
    static constexpr int kShortBits = 12;
    static constexpr int kSymbolBits = 11;
    static constexpr unsigned kSymbolMask = (1u << kSymbolBits) - 1;
    uint16_t shortSymbols[1 << kShortBits] = {};
    uint16_t shortLengths[1 << kShortBits] = {};
};
