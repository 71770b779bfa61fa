// SPDX-License-Identifier: MIT
#include "codec/ExpansionEngine.h"

#include <cstring>

ExpansionEngine::ExpansionEngine(InputStream* stream, bool insertEveryPosition, bool largeTables)
    : decoder(stream, largeTables ? 512 : 256) {
    allocated_ = decoder.Allocated() && tables.Allocate(largeTables ? 512 : 256, insertEveryPosition);
}

int64_t ExpansionEngine::TableBytes(int tableSize) { return int64_t{2} * 256 * tableSize * sizeof(int32_t); }

void ExpansionEngine::Reset(unsigned char* newArea, int32_t newAreaSize) {
    tables.Clear();
    area = newArea;
    areaSize = newAreaSize;
    produced = 0;
    insertPos = 0;
}

ExpandResult ExpansionEngine::Expand(int32_t target) {
    const int32_t limit = target > areaSize ? areaSize : target;
    // Until a row wraps, every later position of a step is filed, and the
    // lookup would only cost time.
    if (!tables.someWrapped) {
        bool wrapped = false;
        const ExpandResult result = ExpandSteps<ContextTables::Filing::kEach>(limit, wrapped);
        if (!wrapped) return result;
    }
    bool wrapped = false;
    return ExpandSteps<ContextTables::Filing::kLookup>(limit, wrapped);
}

template <ContextTables::Filing How>
ExpandResult ExpansionEngine::ExpandSteps(int32_t limit, bool& wrapped) {
    const unsigned n = tables.tableSize;
    // Kept in registers: stores into the area could otherwise alias them.
    HuffmanDecoder::Cursor at = decoder.Save();
    int32_t produced = this->produced;
    int32_t insertPos = this->insertPos;
    unsigned char* const area = this->area;
    const int32_t areaSize = this->areaSize;
    ExpandResult result = ExpandResult::Done;
    while (produced < limit) {
        int64_t len = 1;
        const unsigned s = decoder.DecodeSymbol(at);
        if (s >= 2 * n) {
            area[produced] = static_cast<unsigned char>(s - 2 * n);
        } else {
            const unsigned c = area[insertPos];
            unsigned slot;
            ContextTables::Entry entry;
            if (s < n) {
                len = int64_t{decoder.DecodeLength(at)} + 2;
                slot = tables.SlotFromHead(c, s);
                entry = tables.Read(c, slot);
            } else {
                slot = tables.SlotFromHead(c, s - n);
                entry = tables.Read(c, slot);
                len = entry.length;
            }
            const int32_t src = entry.source;
            if (s >= n) tables.MoveHeadEntry(c, slot);
            if (produced + len > areaSize) {
                result = ExpandResult::BeyondArea;
                break;
            }
            // Empty slots hold kEmpty (-1); the unsigned compare also refuses it.
            if (static_cast<uint32_t>(src) >= static_cast<uint32_t>(areaSize) || len <= 0) {
                result = ExpandResult::NoSuchData;
                break;
            }
            unsigned char* out = area + produced;
            const unsigned char* from = area + src;
            const int32_t distance = produced - src;
            if (len >= 32 && distance >= len) {
                std::memcpy(out, from, static_cast<size_t>(len));
            } else if (distance >= 8 && produced + len + 24 <= areaSize) {
                // Eight bytes at a time: each piece reads only bytes that are
                // already final, and what it writes past the string lies in
                // the area and is overwritten by the bytes that follow. The
                // first sixteen go without a test: most strings are shorter,
                // and a loop whose count varies is mispredicted.
                std::memcpy(out, from, 8);
                std::memcpy(out + 8, from + 8, 8);
                for (int64_t i = 16; i < len; i += 8) std::memcpy(out + i, from + i, 8);
            } else {
                // Overlapping copies byte by byte forwards: such a copy reads
                // bytes it has just written, so a short string repeats.
                for (int64_t i = 0; i < len; ++i) out[i] = from[i];
            }
        }
        produced += static_cast<int32_t>(len);
        if (insertPos < produced - 1) {
            insertPos = tables.Insert<How>(area, insertPos, produced, static_cast<int32_t>(len));
        }
        // A stream cut short decodes filler; stop at once instead of
        // producing garbage up to the end of the area.
        if (at.mayStop) {
            if (decoder.PastEnd(at)) decoder.decodeError = 1;
            if (decoder.decodeError) break;
        }
        if (How == ContextTables::Filing::kEach && tables.someWrapped) {
            wrapped = true;
            break;
        }
    }
    decoder.Load(at);
    this->produced = produced;
    this->insertPos = insertPos;
    if (result != ExpandResult::Done) return result;
    return decoder.decodeError ? ExpandResult::NoSuchData : ExpandResult::Done;
}
