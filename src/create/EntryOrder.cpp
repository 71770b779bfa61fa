// SPDX-License-Identifier: MIT
#include "create/EntryOrder.h"

#include <algorithm>
#include <map>

void OrderEntriesForBlocks(std::vector<ArchiveEntry>& entries) {
    std::vector<size_t> bySize(entries.size());
    for (size_t i = 0; i < bySize.size(); ++i) bySize[i] = i;
    std::sort(bySize.begin(), bySize.end(), [&](size_t a, size_t b) {
        if (entries[a].data.size() != entries[b].data.size()) return entries[a].data.size() > entries[b].data.size();
        return entries[a].name < entries[b].name;
    });
    const size_t capacity = bySize.empty() ? 0 : entries[bySize.front()].data.size();
    // Each block's free room; the entry goes to the block it fills best.
    std::vector<std::vector<size_t>> blocks;
    std::vector<size_t> used;
    std::multimap<size_t, size_t> roomOf;
    for (size_t index : bySize) {
        const size_t size = entries[index].data.size();
        auto fit = roomOf.lower_bound(size);
        size_t block;
        if (fit == roomOf.end()) {
            block = blocks.size();
            blocks.emplace_back();
            used.push_back(0);
        } else {
            block = fit->second;
            roomOf.erase(fit);
        }
        blocks[block].push_back(index);
        used[block] += size;
        roomOf.emplace(capacity - used[block], block);
    }
    std::vector<ArchiveEntry> ordered;
    ordered.reserve(entries.size());
    for (const auto& block : blocks) {
        for (size_t index : block) ordered.push_back(std::move(entries[index]));
    }
    entries.swap(ordered);
}
