// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The names of an archive's entries, in entry order. Each is kept as its
// place in the directory block (four bytes an entry, whatever the names'
// lengths) and handed out in the host's form: separators normalised and
// bytes the host cannot show escaped.
class NameList {
public:
    // The block the names live in; it must outlive the list.
    void Attach(const unsigned char* block) { block_ = block; }
    // Adds the name at offset; false when memory is short.
    bool Add(uint32_t offset);
    int32_t Count() const { return static_cast<int32_t>(offsets_.size()); }
    std::string operator[](int32_t i) const;
    // The name's bytes as stored.
    std::string_view Stored(size_t i) const;
    // Memory for count names at once; false when it is short.
    bool Reserve(size_t count);

private:
    const unsigned char* block_ = nullptr;
    std::vector<uint32_t> offsets_;
};
