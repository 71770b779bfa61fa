#include "codec/BlockEncoder.h"

namespace {

int64_t CommonLength(const uint8_t* a, const uint8_t* b, int64_t limit) {
    int64_t n = 0;
    while (n < limit && a[n] == b[n]) ++n;
    return n;
}

}  // namespace

void BlockEncoder::EncodeBlock(const uint8_t* data, int32_t size, std::vector<Token>& out) {
    tables.Clear();
    const unsigned n = tables.tableSize;
    int32_t produced = 0;
    int32_t insertPos = 0;
    while (produced < size) {
        int64_t len = 1;
        Token token{static_cast<uint16_t>(2 * n + data[produced]), 0};
        if (produced > 0) {
            const unsigned c = data[insertPos];
            const unsigned h = tables.head[c];
            const int64_t room = size - produced;
            int64_t bestLength = 1;
            unsigned bestSlot = 0;
            bool bestRemembered = false;
            for (unsigned slot = 0; slot < tables.highWater[c]; ++slot) {
                const int32_t src = tables.Source(c, slot);
                if (src == ContextTables::kEmpty || data[src] != data[produced]) continue;
                const int64_t common = CommonLength(data + src, data + produced, room);
                const int32_t remembered = tables.Length(c, slot);
                if (remembered >= 2 && remembered <= common && remembered >= bestLength) {
                    bestLength = remembered;
                    bestSlot = slot;
                    bestRemembered = true;
                }
                if (common > bestLength) {
                    bestLength = common;
                    bestSlot = slot;
                    bestRemembered = false;
                }
            }
            if (bestLength >= 2) {
                const unsigned offset = (bestSlot + n - h) % n;
                len = bestLength;
                if (bestRemembered) {
                    token = Token{static_cast<uint16_t>(n + offset), 0};
                    tables.MoveHeadEntry(c, bestSlot);
                } else {
                    token = Token{static_cast<uint16_t>(offset), static_cast<uint32_t>(len - 2)};
                }
            }
        }
        out.push_back(token);
        produced += static_cast<int32_t>(len);
        if (insertPos < produced - 1) insertPos = tables.Insert(data, insertPos, produced, static_cast<int32_t>(len));
    }
}
