#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The stored names of an archive's entries, each an owned copy, in entry order.
class NameList {
public:
    void Add(std::string name) { items.push_back(std::move(name)); }
    int32_t Count() const { return static_cast<int32_t>(items.size()); }
    const std::string& operator[](int32_t i) const { return items[static_cast<size_t>(i)]; }

private:
    std::vector<std::string> items;
};
