// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

// Which entries a command takes: those that a pattern selects (all when
// there is none) and no --exclude pattern selects. A pattern selects a name
// or a folder that holds it; a trailing "/" (as tab completion gives it)
// names the folder.
class Selection {
public:
    Selection(std::vector<std::string> patterns, std::vector<std::string> excludes);
    bool Takes(const std::string& name);
    // The patterns that selected no entry at all.
    std::vector<std::string> Unused() const;

private:
    std::vector<std::string> patterns_;
    std::vector<std::string> excludes_;
    std::vector<bool> used_;
};
