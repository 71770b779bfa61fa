// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "create/ArchiveWriter.h"
#include "platform/Files.h"

// Collects the files named on the command line (folders recursively, in
// byte order of their names) as archive entries, each once. Stored names
// are the paths as given, relative, with "\" separators. Only regular files
// are stored (also through a link); devices, pipes, sockets, dangling
// links, links that loop and empty folders met inside folders are skipped
// with a warning. False with a message naming the path and the reason when
// a path cannot be stored: absolute, "..", a character with no CP932 form,
// "\" in a POSIX name, not a regular file, unreadable or changed while read,
// or beyond the format's 32-bit fields. The file archive describes (the
// archive being written, found by identity, also through a link) is
// skipped with a warning; null when it does not exist yet.
bool CollectSourceFiles(const std::vector<std::string>& paths, std::vector<ArchiveEntry>& entries, std::string& error,
                        std::vector<std::string>& warnings, const platform::FileStatus* archive = nullptr);

// The stored form of a relative path: host separators become "\" (under the
// lead-byte rule) and a leading "./" is dropped. Empty when the path is
// absolute or has a ".." component.
std::string StoredNameOf(const std::string& path);
