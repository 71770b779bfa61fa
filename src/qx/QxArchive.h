// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "qx/QxOptions.h"
#include "qx1.h"

// "qx: " and text on standard error, with control characters shown as %XX,
// so that no path or argument can send escape sequences to a terminal.
void QxError(const std::string& text);

// The options every subcommand that reads an archive takes.
#define QX_PASSWORD_OPTIONS {"password", 'p', true}, {"password-file", 0, true}

// A failed read of entry index told exactly: QX1_E_LOST when the entry
// lies behind the damage rather than in the damaged block.
inline int EntryFailure(qx1_archive* archive, size_t index, int result) {
    return result == QX1_E_DAMAGED && qx1_entry_state(archive, index) == QX1_E_LOST ? QX1_E_LOST : result;
}

// The SHA-256 of entry index as hex in sha256; a QX1_ code (EntryFailure's
// when it cannot be decoded).
int EntrySha256(qx1_archive* archive, size_t index, std::string& sha256);

// The archives that operands name: on Windows a wildcard in an operand is
// expanded here, since the shell leaves it to the program.
std::vector<std::string> ExpandArchives(const std::vector<std::string>& operands);
// The one archive that operand names; false when its wildcard matches several.
bool OneArchive(const std::string& operand, std::string& path);

// Owns an open archive.
struct ArchiveCloser {
    void operator()(qx1_archive* archive) const { qx1_close(archive); }
};
using ArchiveHandle = std::unique_ptr<qx1_archive, ArchiveCloser>;

// Where the password comes from: -p, --password-file (its first line) or
// QX_PASSWORD, in that order; else it is asked on the terminal when an
// archive needs one.
class PasswordSource {
public:
    // False (with the reason in error) when the password file cannot be read.
    bool Resolve(const ParsedArguments& arguments, std::string& error);
    // Opens path ("-": standard input, read whole), and makes its entry list
    // when list is set. On failure keeps the reason (with the system's own
    // words where it has them) in failure and its QX1_ code in code, reports
    // "qx: PATH: reason" when report is set, and returns null.
    ArchiveHandle Open(const std::string& path, std::string& failure, bool list, bool report = true);
    int code = QX1_OK;

private:
    std::optional<std::string> password_;
    std::vector<unsigned char> input_;  // standard input, read once
    bool inputRead_ = false;
};
