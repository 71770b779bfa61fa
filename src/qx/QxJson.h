// SPDX-License-Identifier: MIT
#pragma once

#include <nlohmann/json.hpp>

#include <string>

// What every JSON document of qx carries, and the stable codes of its
// errors. The schemas of the documents are in docs/schema/.
constexpr int kJsonFormatVersion = 1;

// The stable code of a QX1_ result: "cannot_open", "damaged", ...
const char* ErrorCode(int code);

// A document's first member, the format version, and then the archive.
nlohmann::ordered_json JsonDocument(const std::string& archive);

// The document on one line, ending in a line feed; text that is no UTF-8
// is replaced rather than refused.
std::string Dump(const nlohmann::ordered_json& document);
