#include "archive/StoredName.h"

#include "util/LeadByte.h"

std::string NormaliseSeparators(std::string_view name, char separator) {
    std::string result(name);
    for (size_t i = 0; i < result.size(); ++i) {
        if (result[i] == '\\' || result[i] == '/') result[i] = separator;
        if (IsLeadByte(static_cast<unsigned char>(result[i]))) ++i;
    }
    return result;
}

bool IsSafeName(const std::string& name, char separator) {
    if (name.empty() || name[0] == separator) return false;
    size_t componentStart = 0;
    for (size_t i = 0; i <= name.size(); ++i) {
        if (i == name.size() || name[i] == separator) {
            if (name.compare(componentStart, i - componentStart, "..") == 0) return false;
            componentStart = i + 1;
            continue;
        }
        if (name[i] == ':') return false;
        if (IsLeadByte(static_cast<unsigned char>(name[i])) && i + 1 < name.size()) ++i;
    }
    return true;
}
