// SPDX-License-Identifier: MIT
#include "codec/TokenList.h"

#include <algorithm>
#include <cstring>
#include <utility>

TokenList::TokenList(int tableSize) : n_(static_cast<unsigned>(tableSize)) {}

void TokenList::PutNumber(uint32_t value) {
    // Seven bits a byte, lowest first; a set top bit means more follow.
    do {
        if (used_ == kChunkBytes) {
            chunks_.emplace_back(new uint8_t[kChunkBytes]);
            used_ = 0;
        }
        const auto low = static_cast<uint8_t>(value & 0x7F);
        value >>= 7;
        chunks_.back()[used_++] = static_cast<uint8_t>(value != 0 ? low | 0x80 : low);
    } while (value != 0);
}

void TokenList::push_back(const Token& token) {
    // Literals take the numbers 0 to 255, so that a text's bytes take one.
    const unsigned symbol = token.symbol;
    PutNumber(symbol >= 2 * n_ ? symbol - 2 * n_ : symbol + 256);
    if (symbol < n_) PutNumber(token.lengthValue);
    ++count_;
}

void TokenList::Append(const TokenList& other) {
    // A list is one run of bytes cut into chunks, all full but the last.
    for (size_t i = 0; i < other.chunks_.size(); ++i) {
        const uint8_t* bytes = other.chunks_[i].get();
        size_t left = i + 1 < other.chunks_.size() ? kChunkBytes : other.used_;
        while (left > 0) {
            if (used_ == kChunkBytes) {
                chunks_.emplace_back(new uint8_t[kChunkBytes]);
                used_ = 0;
            }
            const size_t piece = std::min(left, kChunkBytes - used_);
            std::memcpy(chunks_.back().get() + used_, bytes, piece);
            used_ += piece;
            bytes += piece;
            left -= piece;
        }
    }
    count_ += other.count_;
}

void TokenList::clear() {
    std::vector<std::unique_ptr<uint8_t[]>>().swap(chunks_);
    used_ = kChunkBytes;
    count_ = 0;
}

void TokenList::swap(TokenList& other) noexcept {
    std::swap(chunks_, other.chunks_);
    std::swap(used_, other.used_);
    std::swap(count_, other.count_);
    std::swap(n_, other.n_);
}

TokenList::Iterator::Iterator(const TokenList* list, size_t left) : list_(list), left_(left) {
    if (left_ > 0) Load();
}

uint32_t TokenList::Iterator::ReadNumber() {
    uint32_t value = 0;
    for (int shift = 0;; shift += 7) {
        const uint8_t byte = list_->chunks_[chunk_][offset_];
        if (++offset_ == kChunkBytes) {
            ++chunk_;
            offset_ = 0;
        }
        value |= static_cast<uint32_t>(byte & 0x7F) << shift;
        if ((byte & 0x80) == 0) return value;
    }
}

void TokenList::Iterator::Load() {
    const unsigned n = list_->n_;
    const uint32_t code = ReadNumber();
    token_.symbol = static_cast<uint16_t>(code < 256 ? code + 2 * n : code - 256);
    token_.lengthValue = token_.symbol < n ? ReadNumber() : 0;
}

TokenList::Iterator& TokenList::Iterator::operator++() {
    if (--left_ > 0) Load();
    return *this;
}
