// SPDX-License-Identifier: MIT
#include "qxdec/HostParts.h"

#include "platform/Encoding.h"
#include "util/LeadByte.h"
#include "util/PathSeparator.h"

bool HostParts(const std::string& folder, const std::string& name, std::string& hostFolder,
               std::vector<std::string>& hostParts) {
    hostParts.clear();
    if (!platform::Utf8FromCp932(folder, hostFolder)) return false;
    size_t start = 0;
    for (size_t i = 0; i <= name.size();) {
        if (i == name.size() || name[i] == PathSeparator) {
            std::string part;
            if (!platform::Utf8FromCp932(name.substr(start, i - start), part)) return false;
            if (!part.empty() && part != ".") hostParts.push_back(part);
            start = ++i;
            continue;
        }
        i += IsLeadByte(static_cast<unsigned char>(name[i])) && i + 1 < name.size() ? 2 : 1;
    }
    return !hostParts.empty();
}
