// SPDX-License-Identifier: MIT
#include "archive/NameList.h"

#include <cstring>
#include <new>

#include "archive/StoredName.h"
#include "util/PathSeparator.h"

bool NameList::Reserve(size_t count) {
    try {
        offsets_.reserve(count);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool NameList::Add(uint32_t offset) {
    if (offsets_.size() == offsets_.capacity() && !Reserve(offsets_.size() * 2 + 32)) return false;
    offsets_.push_back(offset);
    return true;
}

std::string_view NameList::Stored(size_t i) const {
    const char* name = reinterpret_cast<const char*>(block_ + offsets_[i]);
    return std::string_view(name, std::strlen(name));
}

std::string NameList::operator[](int32_t i) const {
    const char* name = reinterpret_cast<const char*>(block_ + offsets_[static_cast<size_t>(i)]);
    return EscapeName(NormaliseSeparators(std::string_view(name, std::strlen(name)), PathSeparator));
}
