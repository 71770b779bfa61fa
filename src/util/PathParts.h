// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

// A path split at its last separator, under the lead-byte rule.
struct PathParts {
    std::string full;       // the whole path
    std::string directory;  // up to and including the last separator, or empty
    std::string fileName;   // everything after the last separator

    explicit PathParts(std::string_view path);
};
