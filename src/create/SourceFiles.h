#pragma once

#include <string>
#include <vector>

#include "create/ArchiveWriter.h"

// Collects the files named on the command line (folders recursively, in
// byte order of their names) as archive entries. Stored names are the paths
// as given, relative, with "\" separators. False with a message naming the
// path when a path is absolute, has a ".." component, has no CP932 form,
// cannot be read, or does not fit the format's 32-bit fields.
bool CollectSourceFiles(const std::vector<std::string>& paths, std::vector<ArchiveEntry>& entries, std::string& error);

// The stored form of a relative path: host separators become "\" (under the
// lead-byte rule) and a leading "./" is dropped. Empty when the path is
// absolute or has a ".." component.
std::string StoredNameOf(const std::string& path);
