// SPDX-License-Identifier: MIT
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>

#include "codec/InputStream.h"
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

    // The bit reader's moving parts. The expansion loop keeps them in
    // registers: as members they would be stored and loaded again at every
    // symbol, since the loop's byte stores into the area could alias them.
    // Take them with Save, decode with them, and give them back with Load
    // before anything else uses the decoder.
    // It also carries, for the loop's quick tests, the last input position
    // from which eight bytes can be read, and whether the source has ended
    // or decoding failed (only a slow path changes either).
    struct Cursor {
        uint64_t bitBuffer;
        int bitCount;
        unsigned inputPos;
        int wordEnd;
        bool mayStop;
    };
    Cursor Save() const {
        return {bitBuffer, bitCount, inputPos, int{inputCount} - 8, sourceEnded || decodeError != 0};
    }
    void Load(const Cursor& at) {
        bitBuffer = at.bitBuffer;
        bitCount = at.bitCount;
        inputPos = static_cast<uint16_t>(at.inputPos);
    }

    // The next main symbol, 0 to 2N + 255; 0 with decodeError set on failure.
    uint16_t DecodeSymbol(Cursor& at) {
        Refill(at);
        const auto w = static_cast<uint32_t>(at.bitBuffer >> 32);
        const unsigned known = shortSymbols[w >> 20];
        if (known != 0) {
            at.bitBuffer <<= known >> kSymbolBits;
            at.bitCount -= static_cast<int>(known >> kSymbolBits);
            return static_cast<uint16_t>(known & kSymbolMask);
        }
        uint16_t symbol = 0;
        Slowly(at, [&] { symbol = DecodeLongSymbol(w); });  // Refill left 32 bits or more
        return symbol;
    }

    // The length value after a symbol below N: 0-126, or an escaped value.
    uint32_t DecodeLength(Cursor& at) {
        if (at.bitCount < 32) Slowly(at, [this] { FillWindow(); });
        const unsigned known = shortLengths[at.bitBuffer >> 52];
        if (known != 0 && (known & kSymbolMask) != kLengthEscape) {
            at.bitBuffer <<= known >> kSymbolBits;
            at.bitCount -= static_cast<int>(known >> kSymbolBits);
            return known & kSymbolMask;
        }
        uint32_t value = 0;
        Slowly(at, [&] { value = DecodeLengthSlow(); });
        return value;
    }

    // True once decoding has consumed bits beyond the end of the source:
    // the stream was cut short, and what follows is filler.
    bool PastEnd(const Cursor& at) const {
        if (!at.mayStop) return false;
        const uint64_t fetchedBytes = fetchedBase + at.inputPos;
        return sourceEnded && (fetchedBytes * 8 - static_cast<uint64_t>(at.bitCount)) > streamBytes * 8;
    }

    // The same on the decoder's own state.
    uint16_t DecodeSymbol() {
        Cursor at = Save();
        const uint16_t symbol = DecodeSymbol(at);
        Load(at);
        return symbol;
    }
    uint32_t DecodeLength() {
        Cursor at = Save();
        const uint32_t value = DecodeLength(at);
        Load(at);
        return value;
    }
    bool PastEnd() const { return PastEnd(Save()); }

    uint32_t decodeError = 0;

    HuffmanTable symbolTable;
    HuffmanTable lengthTable;
    std::unique_ptr<SortedCode[]> sortedCodes;
    uint16_t firstIndex[4096] = {};

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
        return {bitBuffer, streamBytes, fetchedBase + inputPos, bitCount, inputCount, inputPos, bufferBytes, sourceEnded};
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
            fetchedBase += inputPos;
            inputPos = 0;
            if (inputCount == 0) sourceEnded = true;
            else bufferBytes = inputCount;
            streamBytes += inputCount;
        }
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
    void Refill(Cursor& at) {
        if ((static_cast<int>(at.inputPos) <= at.wordEnd) & (at.bitCount < 64)) {
            uint64_t word;
            std::memcpy(&word, inputBuffer + at.inputPos, 8);
            if constexpr (std::endian::native == std::endian::little) word = __builtin_bswap64(word);
            at.bitBuffer |= word >> at.bitCount;
            const int bytes = (63 - at.bitCount) >> 3;
            at.inputPos += static_cast<unsigned>(bytes);
            at.bitCount |= 56;
        } else if (at.bitCount < 32) {
            Slowly(at, [this] { FillWindow(); });
        }
    }
    // Runs step on the members, with the cursor given back and taken again.
    template <typename Step>
    void Slowly(Cursor& at, Step step) {
        Load(at);
        step();
        at = Save();
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
    // Bytes taken into bitBuffer (filler included) before inputBuffer[0]:
    // with inputPos, how many were taken in all.
    uint64_t fetchedBase = 0;
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
