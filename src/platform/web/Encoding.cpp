// SPDX-License-Identifier: MIT
// CP932 in the browser, which has no iconv: the page's own TextDecoder
// ("shift_jis", whose mapping is code page 932's) decodes, and a table made
// from it once encodes. Bytes that glibc's CP932 leaves without a form
// (0x80, 0xA0, 0xFD-0xFF) have none here either, so names are escaped the
// same way as on Linux.
#include <emscripten.h>

#include <cstdlib>
#include <memory>

#include "platform/Encoding.h"
#include "util/Ascii.h"

namespace {

// UTF-8 of the CP932 bytes at text, malloc'd, or null when any has no form.
EM_JS(char*, DecodeCp932, (const char* text, int size), {
    try {
        const bytes = HEAPU8.slice(text, text + size);
        const decoded = new TextDecoder("shift_jis", {fatal: true}).decode(bytes);
        // C1 controls come only from 0x80, which code page 932 leaves unmapped.
        for (let i = 0; i < decoded.length; ++i) {
            const c = decoded.charCodeAt(i);
            if (c >= 0x80 && c <= 0x9f) return 0;
        }
        const length = lengthBytesUTF8(decoded) + 1;
        const out = _malloc(length);
        stringToUTF8(decoded, out, length);
        return out;
    } catch (e) {
        return 0;
    }
});

// CP932 of the UTF-8 at text, malloc'd with its length in *size, or null.
EM_JS(char*, EncodeCp932, (const char* text, int* size), {
    if (!Module.cp932Table) {
        // Every character's first code in code page 932, from the decoder.
        const table = new Map();
        const decoder = new TextDecoder("shift_jis");
        const add = (bytes) => {
            const c = decoder.decode(new Uint8Array(bytes));
            if (c.length >= 1 && c !== String.fromCharCode(0xfffd) && !table.has(c)) table.set(c, bytes);
        };
        for (let b = 0; b < 0x80; ++b) add([b]);
        for (let b = 0xa1; b < 0xe0; ++b) add([b]);
        for (const lead of [...Array(0x1f).keys()].map(i => 0x81 + i).concat([...Array(0x1d).keys()].map(i => 0xe0 + i))) {
            for (let trail = 0x40; trail <= 0xfc; ++trail) {
                if (trail !== 0x7f) add([lead, trail]);
            }
        }
        Module.cp932Table = table;
    }
    const out = [];
    for (const c of UTF8ToString(text)) {
        const bytes = Module.cp932Table.get(c);
        if (!bytes) return 0;
        out.push(...bytes);
    }
    const buffer = _malloc(out.length + 1);
    HEAPU8.set(out, buffer);
    HEAP32[size >> 2] = out.length;
    return buffer;
});

struct Free {
    void operator()(char* p) const { std::free(p); }
};

}  // namespace

namespace platform {

bool Cp932FromUtf8(std::string_view utf8, std::string& cp932) {
    cp932.clear();
    if (IsAscii(utf8)) {
        cp932 = utf8;
        return true;
    }
    const std::string text(utf8);
    int size = 0;
    const std::unique_ptr<char, Free> bytes(EncodeCp932(text.c_str(), &size));
    if (!bytes) return false;
    cp932.assign(bytes.get(), static_cast<size_t>(size));
    return true;
}

bool Utf8FromCp932(std::string_view cp932, std::string& utf8) {
    utf8.clear();
    const std::unique_ptr<char, Free> text(DecodeCp932(cp932.data(), static_cast<int>(cp932.size())));
    if (!text) return false;
    utf8 = text.get();
    return true;
}

std::string Cp932FromUtf8Lossy(std::string_view utf8) {
    std::string cp932;
    return Cp932FromUtf8(utf8, cp932) ? cp932 : std::string(utf8.size(), '?');
}

std::string Utf8FromCp932Lossy(std::string_view cp932) {
    std::string utf8;
    return Utf8FromCp932(cp932, utf8) ? utf8 : std::string(cp932.size(), '?');
}

}  // namespace platform
