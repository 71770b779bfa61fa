// SPDX-License-Identifier: MIT
#include "platform/MaskedEntry.h"

namespace {

constexpr int kEnter = 13;
constexpr int kLineFeed = 10;
constexpr int kBackspace = 8;
constexpr int kEscape = 27;

}  // namespace

std::string ReadMaskedEntry(ConsoleIo& console, const std::string& redraw, size_t limit, bool toError) {
    const auto write = [&](std::string_view text) {
        if (toError) console.WriteError(text);
        else console.Write(text);
    };
    // The console reads keys in raw mode until the entry ends, however it ends.
    struct KeysEnd {
        ConsoleIo& console;
        ~KeysEnd() { console.EndKeys(); }
    } keysEnd{console};
    std::string secret;
    for (;;) {
        const int key = console.ReadKey();
        if (key == kEnter || key == kLineFeed) {
            if (key == kEnter) console.DiscardLine();
            return secret;
        }
        if (key == kBackspace) {
            if (secret.empty()) continue;
            secret.pop_back();
            write("\r");
            write(redraw);
            write(std::string(secret.size(), '*'));
            continue;
        }
        if (key == kEscape || key < 0) {
            // Escape, or the end of input, cancels the entry.
            write("\n");
            return {};
        }
        if (secret.size() >= limit) continue;
        secret += static_cast<char>(key);
        write("*");
    }
}
