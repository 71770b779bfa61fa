// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The console as the dialogue sees it: CP932 text out, keys and lines in.
// Tests substitute a scripted console.
class ConsoleIo {
public:
    virtual ~ConsoleIo() = default;
    virtual void Write(std::string_view text) = 0;
    // Diagnostics: warnings, errors, prompts and progress, kept apart from
    // the data a program writes (standard error on a host).
    virtual void WriteError(std::string_view text) { Write(text); }
    virtual void Flush() = 0;
    // One key without echo, as CP932 bytes one at a time; -1 at end of input.
    virtual int ReadKey() = 0;
    // Drops what is left of the typed line after the password's Enter key.
    virtual void DiscardLine() = 0;
    // Ends a run of ReadKey calls: a terminal echoes and edits lines again.
    virtual void EndKeys() {}
    // One whole line without its newline; at most limit bytes are kept,
    // the rest of the line is consumed. False at end of input.
    virtual bool ReadLine(std::string& line, size_t limit) = 0;
};
