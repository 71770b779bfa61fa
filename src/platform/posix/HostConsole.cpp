// SPDX-License-Identifier: MIT
#include "platform/HostConsole.h"

#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/Encoding.h"
#include "platform/posix/TemporaryFiles.h"
#include "util/Ascii.h"

namespace platform {
namespace {

// One byte of standard input, unbuffered so that keys and lines never
// overtake each other; -1 at end of input.
int ReadInputByte() {
    unsigned char byte;
    for (;;) {
        const ssize_t n = read(STDIN_FILENO, &byte, 1);
        if (n == 1) return byte;
        if (n < 0 && errno == EINTR) continue;
        return -1;
    }
}

// Reads one UTF-8 character whose first byte is lead.
std::string ReadUtf8Rest(int lead) {
    std::string character(1, static_cast<char>(lead));
    const int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    for (int i = 0; i < extra; ++i) {
        const int next = ReadInputByte();
        if (next < 0) break;
        character += static_cast<char>(next);
    }
    return character;
}

}  // namespace

void HostConsole::Write(std::string_view text) {
    // ASCII is the same bytes in UTF-8.
    if (IsAscii(text)) {
        std::fwrite(text.data(), 1, text.size(), stdout);
        return;
    }
    const std::string utf8 = Utf8FromCp932Lossy(text);
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
}

void HostConsole::WriteError(std::string_view text) {
    std::fflush(stdout);
    const std::string utf8 = IsAscii(text) ? std::string(text) : Utf8FromCp932Lossy(text);
    std::fwrite(utf8.data(), 1, utf8.size(), stderr);
    std::fflush(stderr);
}

void HostConsole::Flush() {
    // A terminal shows each line as it is printed; a file or a pipe gets the
    // same bytes in larger writes (input is never read before a flush).
    static const bool terminal = isatty(STDOUT_FILENO) != 0;
    if (terminal) std::fflush(stdout);
}

int HostConsole::ReadKey() {
    if (pendingKeys_.empty()) {
        std::fflush(stdout);
        const bool terminal = isatty(STDIN_FILENO);
        // Raw mode stays on for the whole run of keys, so that no key typed
        // between two reads is echoed; EndKeys (or an interrupt) ends it.
        termios saved {};
        if (terminal && !raw_ && tcgetattr(STDIN_FILENO, &saved) == 0) {
            termios raw = saved;
            raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
            raw.c_iflag &= ~static_cast<tcflag_t>(ICRNL);
            raw.c_cc[VMIN] = 1;
            raw.c_cc[VTIME] = 0;
            TerminalState::Remember(saved);
            tcsetattr(STDIN_FILENO, TCSANOW, &raw);
            raw_ = true;
        }
        int key = ReadInputByte();
        std::string character;
        if (key >= 0x80) character = ReadUtf8Rest(key);
        if (key < 0) return -1;
        if (key < 0x80) {
            // Terminals send DEL for the backspace key.
            return terminal && key == 0x7F ? 8 : key;
        }
        pendingKeys_ = Cp932FromUtf8Lossy(character);
    }
    const auto key = static_cast<unsigned char>(pendingKeys_.front());
    pendingKeys_.erase(0, 1);
    return key;
}

void HostConsole::EndKeys() {
    if (!raw_) return;
    TerminalState::Restore();
    raw_ = false;
}

void HostConsole::DiscardLine() {
    // A terminal in raw mode leaves nothing behind the Enter key.
    if (isatty(STDIN_FILENO)) return;
    for (int c = ReadInputByte(); c >= 0 && c != '\n'; c = ReadInputByte()) {
    }
}

bool HostConsole::ReadLine(std::string& line, size_t limit) {
    std::fflush(stdout);
    std::string utf8;
    int c = ReadInputByte();
    if (c < 0) return false;
    for (; c >= 0 && c != '\n'; c = ReadInputByte()) {
        if (utf8.size() < limit) utf8 += static_cast<char>(c);
    }
    if (!utf8.empty() && utf8.back() == '\r') utf8.pop_back();
    line = Cp932FromUtf8Lossy(utf8);
    if (line.size() > limit) line.resize(limit);
    return true;
}

}  // namespace platform
