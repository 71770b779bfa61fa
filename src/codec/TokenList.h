// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "codec/Token.h"

// The steps of a parse, kept compactly: one or two bytes for the symbol
// (literals first) and, after a symbol below N, one or more for the length
// value, in chunks that never move. The encoder holds a whole archive's
// steps, twice between passes, so eight bytes a step would dwarf the files.
class TokenList {
public:
    // N is the table size: symbols from 2N on are literals.
    explicit TokenList(int tableSize);

    void push_back(const Token& token);
    // Puts the steps of other behind these.
    void Append(const TokenList& other);
    // Empties the list and gives its memory back.
    void clear();
    void swap(TokenList& other) noexcept;
    size_t size() const { return count_; }

    class Iterator {
    public:
        Token operator*() const { return token_; }
        Iterator& operator++();
        bool operator!=(const Iterator& other) const { return left_ != other.left_; }

    private:
        friend class TokenList;
        Iterator(const TokenList* list, size_t left);
        void Load();  // reads the step whose bytes begin here
        uint32_t ReadNumber();

        const TokenList* list_;
        size_t left_;        // steps not yet passed, this one included
        size_t chunk_ = 0;   // where the next step's bytes begin
        size_t offset_ = 0;
        Token token_;
    };
    Iterator begin() const { return Iterator(this, count_); }
    Iterator end() const { return Iterator(this, 0); }

private:
    static constexpr size_t kChunkBytes = size_t{1} << 16;
    void PutNumber(uint32_t value);

    std::vector<std::unique_ptr<uint8_t[]>> chunks_;
    size_t used_ = kChunkBytes;  // bytes used in the last chunk
    size_t count_ = 0;
    unsigned n_;
};
