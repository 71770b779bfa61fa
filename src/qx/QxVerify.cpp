// SPDX-License-Identifier: MIT
#include <nlohmann/json.hpp>

#include <cctype>
#include <fstream>
#include <map>
#include <sstream>

#include "platform/Terminal.h"
#include "qx/QxArchive.h"
#include "qx/QxCommands.h"
#include "qx/QxJson.h"
#include "qx/Selection.h"
#include "util/ShownText.h"

namespace {

constexpr const char* kVerifyUsage =
    "usage: qx verify [--json] [--exclude=PATTERN] [-p PASSWORD | --password-file=FILE] MANIFEST ARCHIVE...\n"
    "Checks every entry's SHA-256 against a manifest: the output of qx list --json --sha256, or lines of\n"
    "sha256sum (HASH  NAME). Each entry matches, differs, is missing from the archive, is not in the\n"
    "manifest, or cannot be decoded (damaged, or lost behind the damage). Exit status 0 only when every\n"
    "entry matches. This is the check that proves an archive's bytes: the format itself has no checksum.\n"
    "  --json             one JSON document per archive, with every entry's status\n"
    "  --exclude=PATTERN  leave out the entries that PATTERN selects (may be given more than once)\n";

// name -> SHA-256 (lower-case hex), for one archive.
using Manifest = std::map<std::string, std::string>;

std::string BaseName(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The manifest's entries for archive: from the JSON document that names it
// (or the only one), or from sha256sum lines. False with the reason in error.
bool ReadManifest(const std::string& text, const std::string& archive, Manifest& manifest, std::string& error) {
    std::istringstream lines(text);
    std::vector<nlohmann::json> documents;
    bool sums = false;
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        if (line[0] == '{') {
            const auto document = nlohmann::json::parse(line, nullptr, false);
            if (document.is_discarded() || !document.is_object()) {
                error = "the manifest has a line that is no JSON document";
                return false;
            }
            documents.push_back(document);
            continue;
        }
        // sha256sum: 64 hex digits, a space, a space or "*", the name.
        if (line.size() < 67 || line.find_first_not_of("0123456789abcdefABCDEF") != 64 || line[64] != ' ') {
            error = "the manifest has a line that is neither JSON nor sha256sum";
            return false;
        }
        sums = true;
        manifest[line.substr(66)] = Lower(line.substr(0, 64));
    }
    if (sums) return true;
    const nlohmann::json* chosen = documents.size() == 1 ? &documents[0] : nullptr;
    for (const auto& document : documents) {
        const std::string named = document.value("archive", "");
        if (named == archive || BaseName(named) == BaseName(archive)) chosen = &document;
    }
    if (!chosen) {
        error = documents.empty() ? "the manifest is empty" : "the manifest names no archive " + archive;
        return false;
    }
    if (!chosen->contains("entries") || !(*chosen)["entries"].is_array()) {
        error = "the manifest's document for " + archive + " has no entries";
        return false;
    }
    for (const auto& entry : (*chosen)["entries"]) {
        if (!entry.contains("name") || !entry["name"].is_string() || !entry.contains("sha256") ||
            !entry["sha256"].is_string()) {
            error = "the manifest has an entry without a name or a SHA-256 (was it made with --sha256?)";
            return false;
        }
        manifest[entry["name"].get<std::string>()] = Lower(entry["sha256"].get<std::string>());
    }
    return true;
}

}  // namespace

int RunVerify(const std::vector<std::string>& args) {
    const ParsedArguments arguments =
        ParseArguments(args, {{"json", 0, false}, {"exclude", 0, true}, {"help", 'h', false}, QX_PASSWORD_OPTIONS});
    if (arguments.Has("help")) {
        platform::WriteTextOut(kVerifyUsage);
        return 0;
    }
    if (!arguments.error.empty()) return UsageError("verify", arguments.error);
    if (arguments.operands.size() < 2) return UsageError("verify", "give a manifest and one or more archives");
    const bool json = arguments.Has("json");
    const std::string& manifestPath = arguments.operands[0];
    std::ifstream file(manifestPath, std::ios::binary);
    if (!file) return UsageError("verify", "the manifest " + manifestPath + " cannot be read");
    const std::string manifestText((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const std::vector<std::string> excludes = arguments.Values("exclude");
    PasswordSource passwords;
    std::string error;
    if (!passwords.Resolve(arguments, error)) return UsageError("verify", error);

    int status = 0;
    const std::vector<std::string> archives =
        ExpandArchives(std::vector<std::string>(arguments.operands.begin() + 1, arguments.operands.end()));
    for (const std::string& path : archives) {
        nlohmann::ordered_json document = JsonDocument(path);
        document["manifest"] = manifestPath;
        Manifest manifest;
        std::string failure;
        ArchiveHandle archive;
        int code = QX1_OK;
        if (!ReadManifest(manifestText, path, manifest, failure)) {
            code = QX1_E_ARGUMENT;
        } else {
            archive = passwords.Open(path, failure, true, false);
            code = passwords.code;
        }
        std::map<std::string, size_t> counts;
        nlohmann::ordered_json entries = nlohmann::ordered_json::array();
        const auto report = [&](const std::string& name, const char* what, const std::string& expected,
                                const std::string& actual) {
            ++counts[what];
            if (json) {
                nlohmann::ordered_json item = {{"name", name}, {"status", what}};
                if (!expected.empty()) item["expected"] = expected;
                if (!actual.empty()) item["actual"] = actual;
                entries.push_back(std::move(item));
            } else if (std::string(what) != "matches") {
                platform::WriteTextOut(ShownText(path) + ": " + what + ": " + ShownText(name) + "\n");
            }
        };
        if (archive) {
            Selection selection({}, excludes);
            Manifest unseen = manifest;
            for (size_t i = 0; i < qx1_entry_count(archive.get()); ++i) {
                const std::string name = qx1_entry_at(archive.get(), i)->name;
                if (!selection.Takes(name)) {
                    unseen.erase(name);
                    continue;
                }
                std::string actual;
                const int result = EntrySha256(archive.get(), i, actual);
                const auto listed = manifest.find(name);
                const std::string expected = listed == manifest.end() ? "" : listed->second;
                unseen.erase(name);
                if (result != QX1_OK) {
                    report(name, result == QX1_E_LOST ? "lost" : "damaged", expected, "");
                } else if (listed == manifest.end()) {
                    report(name, "unlisted", "", actual);
                } else {
                    report(name, actual == expected ? "matches" : "differs", expected, actual);
                }
            }
            for (const auto& [name, expected] : unseen) {
                if (selection.Takes(name)) report(name, "missing", expected, "");
            }
        }
        const size_t matched = counts["matches"];
        size_t total = 0;
        for (const auto& [what, n] : counts) total += n;
        const bool ok = archive && matched == total;
        if (!ok) status = 2;
        document["result"] = ok ? "ok" : "failed";
        if (!archive) {
            document["error"] = failure;
            document["error_code"] = code == QX1_E_ARGUMENT ? "bad_manifest" : ErrorCode(code);
        }
        nlohmann::ordered_json tally = nlohmann::ordered_json::object();
        for (const char* what : {"matches", "differs", "missing", "unlisted", "damaged", "lost"}) tally[what] = counts[what];
        document["counts"] = tally;
        if (json) {
            document["entries"] = std::move(entries);
            platform::WriteTextOut(Dump(document));
        } else if (!archive) {
            platform::WriteTextOut(ShownText(path) + ": FAILED: " + failure + "\n");
        } else {
            std::string line = ShownText(path) + (ok ? ": verified: " : ": FAILED: ") + std::to_string(matched) + " of " +
                               std::to_string(total) + " entries match the manifest";
            for (const char* what : {"differs", "missing", "unlisted", "damaged", "lost"}) {
                if (counts[what]) line += ", " + std::to_string(counts[what]) + " " + what;
            }
            platform::WriteTextOut(line + "\n");
        }
    }
    return platform::FlushStandardOutput() ? status : 2;
}
