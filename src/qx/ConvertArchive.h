// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "qx1.h"

// The formats an archive can be converted to.
enum class ConvertFormat { Tar, TarGzip, TarXz, TarZstd, Zip };

// The format that a file name's extension asks for, or a format's name
// (tar, tar.gz, tar.xz, tar.zst, zip); false for any other.
bool ConvertFormatOf(const std::string& nameOrExtension, bool byExtension, ConvertFormat& format);

// Which entries a conversion takes, and what becomes of those that cannot
// be decoded.
struct ConvertOptions {
    std::function<bool(const qx1_entry&)> take;  // all entries when empty
    // Entries that cannot be decoded are left out (and listed in left, with
    // their QX1_E_DAMAGED or QX1_E_LOST) instead of failing the conversion.
    bool partial = false;
    std::vector<std::pair<size_t, int>> left;
};

// Writes every entry taken, with its UTF-8 name and time, as a tar or zip
// through write (which returns false when the bytes cannot be written).
// Returns QX1_OK, a QX1_ code of the archive, or QX1_E_WRITE; what failed is
// described in error.
int ConvertArchive(qx1_archive* archive, ConvertFormat format, const std::function<bool(const void*, size_t)>& write,
                   std::string& error, ConvertOptions& options);
