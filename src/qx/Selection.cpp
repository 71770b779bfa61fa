// SPDX-License-Identifier: MIT
#include "qx/Selection.h"

#include <algorithm>

#include "util/Glob.h"

namespace {

// A "\" is a folder separator, as in the archive's own names and on
// Windows; a trailing "/" is dropped.
std::vector<std::string> AsFolderPatterns(std::vector<std::string> patterns) {
    for (std::string& pattern : patterns) {
        std::replace(pattern.begin(), pattern.end(), '\\', '/');
        while (pattern.size() > 1 && pattern.back() == '/') pattern.pop_back();
    }
    return patterns;
}

}  // namespace

Selection::Selection(std::vector<std::string> patterns, std::vector<std::string> excludes)
    : patterns_(AsFolderPatterns(std::move(patterns))),
      excludes_(AsFolderPatterns(std::move(excludes))),
      used_(patterns_.size(), false) {}

bool Selection::Takes(const std::string& name) {
    bool take = patterns_.empty();
    for (size_t p = 0; p < patterns_.size(); ++p) {
        if (GlobSelects(patterns_[p], name)) take = used_[p] = true;
    }
    if (!take) return false;
    for (const std::string& exclude : excludes_) {
        if (GlobSelects(exclude, name)) return false;
    }
    return true;
}

std::vector<std::string> Selection::Unused() const {
    std::vector<std::string> unused;
    for (size_t p = 0; p < patterns_.size(); ++p) {
        if (!used_[p]) unused.push_back(patterns_[p]);
    }
    return unused;
}
