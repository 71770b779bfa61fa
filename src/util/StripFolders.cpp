// SPDX-License-Identifier: MIT
#include "util/StripFolders.h"

#include <string_view>

std::string StripFolders(const std::string& name, unsigned long count) {
    size_t start = 0;
    for (;;) {
        const size_t slash = name.find('/', start);
        const std::string_view part =
            std::string_view(name).substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        if (part.empty() || part == ".") {
            if (slash == std::string::npos) return {};
            start = slash + 1;
            continue;
        }
        if (count == 0) return name.substr(start);
        if (slash == std::string::npos) return {};
        --count;
        start = slash + 1;
    }
}
