// SPDX-License-Identifier: MIT
#include <nlohmann/json.hpp>

#include <cctype>
#include <cstdio>
#include <cstring>

#include "qx/QxArchive.h"
#include "qx/QxCommands.h"
#include "qx/QxJson.h"
#include "qx/Selection.h"
#include "platform/Terminal.h"
#include "util/IsoTime.h"
#include "util/ShownText.h"

namespace {

constexpr const char* kListUsage =
    "usage: qx list [-l|--long|-1] [--json] [--sha256] [--exclude=PATTERN] [-p PASSWORD | --password-file=FILE]\n"
    "               ARCHIVE... [PATTERN...]\n"
    "Lists the entries of each archive: size, modification time (UTC), name, and totals. An operand that\n"
    "ends in .qx1 or .exe, or names an existing file, or is - (standard input), is an archive; the others\n"
    "are patterns, as qx extract takes them, that select the entries listed.\n"
    "  -l, --long        also the block of each entry, and the stored bytes of escaped names\n"
    "  -1                the names alone, one a line\n"
    "  --json            one JSON document per archive\n"
    "  --sha256          the SHA-256 of each entry's data (decodes the archive): a manifest for qx verify\n"
    "  --exclude=PATTERN leave out the entries that PATTERN selects (may be given more than once)\n"
    "  -p, --password PASSWORD, --password-file FILE\n"
    "                    the password (else QX_PASSWORD, else asked on the terminal)\n";

std::string Hex(const unsigned char* bytes, size_t size) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string hex;
    for (size_t i = 0; i < size; ++i) {
        hex += kHex[bytes[i] >> 4];
        hex += kHex[bytes[i] & 15];
    }
    return hex;
}

// The SHA-256 of entry index, or empty (reported, and why in result) when it
// cannot be decoded: its block is damaged, or it lies behind the damage.
std::string EntryHash(qx1_archive* archive, size_t index, const std::string& path, int& result) {
    std::string hash;
    result = EntrySha256(archive, index, hash);
    if (result != QX1_OK) QxError(path + ": " + qx1_entry_at(archive, index)->name + ": " + qx1_strerror(result));
    return hash;
}

// An operand names an archive when it ends as archives do, names a file
// that exists, or is standard input; else it is a pattern.
bool IsArchiveOperand(const std::string& operand) {
    const auto endsWith = [&](const char* end) {
        const size_t n = std::strlen(end);
        if (operand.size() < n) return false;
        for (size_t i = 0; i < n; ++i) {
            if (std::tolower(static_cast<unsigned char>(operand[operand.size() - n + i])) != end[i]) return false;
        }
        return true;
    };
    return operand == "-" || endsWith(".qx1") || endsWith(".exe") || platform::IsExistingFile(operand);
}

}  // namespace

int RunList(const std::vector<std::string>& args) {
    const ParsedArguments arguments = ParseArguments(
        args, {{"long", 'l', false}, {"names", '1', false}, {"json", 0, false}, {"sha256", 0, false},
               {"exclude", 0, true}, {"help", 'h', false}, QX_PASSWORD_OPTIONS});
    if (arguments.Has("help")) {
        platform::WriteTextOut(kListUsage);
        return 0;
    }
    if (!arguments.error.empty()) return UsageError("list", arguments.error);
    if (arguments.operands.empty()) return UsageError("list", "no archive given");
    const bool json = arguments.Has("json");
    const bool longForm = arguments.Has("long");
    const bool hashes = arguments.Has("sha256");
    const bool namesOnly = arguments.Has("names");
    std::vector<std::string> archives, patterns;
    for (const std::string& operand : arguments.operands) {
        if (IsArchiveOperand(operand) || archives.empty()) {
            for (std::string& path : ExpandArchives({operand})) archives.push_back(std::move(path));
        } else {
            patterns.push_back(operand);
        }
    }
    const std::vector<std::string> excludes = arguments.Values("exclude");
    PasswordSource passwords;
    std::string error;
    if (!passwords.Resolve(arguments, error)) return UsageError("list", error);

    int status = 0;
    for (size_t a = 0; a < archives.size(); ++a) {
        const std::string& path = archives[a];
        std::string failure;
        const ArchiveHandle archive = passwords.Open(path, failure, true);
        if (!archive) {
            status = 2;
            if (json) {
                nlohmann::ordered_json document = JsonDocument(path);
                document["error"] = failure;
                document["error_code"] = ErrorCode(passwords.code);
                platform::WriteTextOut(Dump(document));
            }
            continue;
        }
        Selection selection(patterns, excludes);
        const size_t entries = qx1_entry_count(archive.get());
        size_t count = 0;
        uint64_t total = 0;
        std::vector<size_t> listed;
        for (size_t i = 0; i < entries; ++i) {
            const qx1_entry& entry = *qx1_entry_at(archive.get(), i);
            if (!selection.Takes(entry.name)) continue;
            listed.push_back(i);
            ++count;
            total += entry.size;
        }
        for (const std::string& unused : selection.Unused()) {
            QxError(path + ": no entry matches " + unused);
            status = 2;
        }
        // Written as it goes, a piece at a time: the listing of a large
        // archive is never held whole.
        std::string text;
        const auto flush = [&text](bool always) {
            if (!always && text.size() < (1u << 16)) return;
            platform::WriteTextOut(text);
            text.clear();
        };
        if (json) {
            nlohmann::ordered_json head = JsonDocument(path);
            head["files"] = count;
            head["size"] = total;
            const std::string line = Dump(head);
            text += line.substr(0, line.size() - 2) + ",\"entries\":[";
        } else if (archives.size() > 1 && !namesOnly) {
            if (a > 0) text += '\n';
            text += ShownText(path);
            text += ":\n";
        }
        for (size_t n = 0; n < listed.size(); ++n) {
            const size_t i = listed[n];
            const qx1_entry& entry = *qx1_entry_at(archive.get(), i);
            const char* problem = (entry.flags & QX1_ENTRY_UNSAFE) ? qx1_entry_problem(archive.get(), i) : nullptr;
            std::string hash;
            int hashResult = QX1_OK;
            if (hashes) {
                hash = EntryHash(archive.get(), i, path, hashResult);
                if (hash.empty()) status = 2;
            }
            const std::string stored = Hex(entry.stored_name, entry.stored_name_size);
            if (json) {
                nlohmann::ordered_json item = {{"name", entry.name},
                                               {"stored_name_hex", stored},
                                               {"size", entry.size},
                                               {"mtime", IsoTimeUtc(entry.mtime)},
                                               {"mtime_epoch", entry.mtime},
                                               {"block", entry.block},
                                               {"unsafe", problem != nullptr}};
                if (problem) item["problem"] = problem;
                if (hashes) {
                    item["sha256"] = hash.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(hash);
                    // Why an entry has no value: its block is damaged, or it lies behind the damage.
                    if (hash.empty()) {
                        item["error"] = qx1_strerror(hashResult);
                        item["error_code"] = ErrorCode(hashResult);
                    }
                }
                const std::string line = Dump(item);
                if (n > 0) text += ',';
                text.append(line, 0, line.size() - 1);
            } else if (namesOnly) {
                text += entry.name;
                text += '\n';
            } else {
                char columns[64];
                std::snprintf(columns, sizeof columns, "%12llu  %s  ", static_cast<unsigned long long>(entry.size),
                              IsoTimeUtc(entry.mtime).c_str());
                text += columns;
                if (longForm) text += std::to_string(entry.block) + "  ";
                if (hashes) text += (hash.empty() ? std::string(64, '-') : hash) + "  ";
                text += entry.name;
                if (longForm && (entry.flags & QX1_ENTRY_ESCAPED)) text += "  (stored as " + stored + ")";
                if (problem) text += std::string("  (unsafe: ") + problem + ")";
                text += "\n";
            }
            flush(false);
        }
        if (json) {
            text += "]}\n";
        } else if (!namesOnly) {
            char totals[96];
            std::snprintf(totals, sizeof totals, "%12llu  %zu file%s\n", static_cast<unsigned long long>(total), count,
                          count == 1 ? "" : "s");
            text += totals;
        }
        flush(true);
    }
    return platform::FlushStandardOutput() ? status : 2;
}
