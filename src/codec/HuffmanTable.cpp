#include "codec/HuffmanTable.h"

#include <algorithm>
#include <new>

namespace {

constexpr uint16_t kEndOfChain = 0xFFFF;

// Orders by depth, then by the second word (next in the high half, symbol in
// the low half), both unsigned.
bool NodeBefore(const NodeEntry& a, const NodeEntry& b) {
    if (a.depth != b.depth) return a.depth < b.depth;
    const uint32_t wa = (uint32_t{a.next} << 16) | a.symbol;
    const uint32_t wb = (uint32_t{b.next} << 16) | b.symbol;
    return wa < wb;
}

}  // namespace

bool HuffmanTable::Allocate(int count) {
    nodes.reset(new (std::nothrow) NodeEntry[count]);
    codes.reset(new (std::nothrow) uint32_t[count]);
    codeLengths.reset(new (std::nothrow) uint16_t[count]);
    symbolCount = static_cast<int16_t>(count);
    return nodes && codes && codeLengths;
}

void MergeCodes(HuffmanTable& table) {
    const int n = table.symbolCount;
    NodeEntry* nodes = table.nodes.get();
    for (int i = 0; i < n; ++i) {
        nodes[i].symbol = static_cast<uint16_t>(i);
        nodes[i].next = kEndOfChain;
        table.codes[i] = 0;
        table.codeLengths[i] = 0;
    }
    std::sort(nodes, nodes + n, NodeBefore);
    for (int j = n - 2; j >= 0; --j) {
        for (int p = j; p != kEndOfChain; p = nodes[p].next) {
            const uint16_t sym = nodes[p].symbol;
            table.codeLengths[sym] += 1;
            table.codes[sym] >>= 1;
        }
        for (int p = j + 1; p != kEndOfChain; p = nodes[p].next) {
            const uint16_t sym = nodes[p].symbol;
            table.codeLengths[sym] += 1;
            table.codes[sym] = (table.codes[sym] >> 1) | 0x80000000u;
        }
        nodes[j].depth -= 1;
        int last = j;
        while (nodes[last].next != kEndOfChain) last = nodes[last].next;
        nodes[last].next = static_cast<uint16_t>(j + 1);
        // Move the merged entry in front of every entry of equal or greater
        // depth. The entries before it are in ascending depth, so its place
        // is found by bisection.
        const NodeEntry merged = nodes[j];
        NodeEntry* place = std::lower_bound(nodes, nodes + j, merged.depth,
                                            [](const NodeEntry& e, uint32_t depth) { return e.depth < depth; });
        for (NodeEntry* p = nodes + j; p > place; --p) *p = p[-1];
        *place = merged;
    }
}

bool CodesForLengths(const uint8_t* lengths, int count, HuffmanTable& table) {
    if (!table.Allocate(count)) return false;
    for (int i = 0; i < count; ++i) table.nodes[i].depth = lengths[i];
    MergeCodes(table);
    for (int i = 0; i < count; ++i) {
        if (table.codeLengths[i] != lengths[i]) return false;
    }
    return true;
}
