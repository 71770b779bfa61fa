// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>

namespace platform {

// Tells whether paths (CP932, as Stat takes them) exist, for many paths in
// a row. Where the host resolves a path one component after the other, a
// path in a folder already found missing is known missing without asking
// again: the entries of a fresh output folder cost one look per folder,
// not one per file.
class PathProbe {
public:
    bool Exists(const std::string& path);

private:
    std::optional<std::string> missingFolder;
};

}  // namespace platform
