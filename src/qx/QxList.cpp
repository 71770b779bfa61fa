#include <nlohmann/json.hpp>

#include <cstdio>

#include "qx/QxArchive.h"
#include "qx/QxCommands.h"
#include "platform/Sha256.h"
#include "platform/Terminal.h"
#include "util/IsoTime.h"
#include "util/ShownText.h"

namespace {

constexpr const char* kListUsage =
    "usage: qx list [-l|--long] [--json] [--sha256] [-p PASSWORD | --password-file=FILE] ARCHIVE...\n"
    "Lists the entries of each archive: size, modification time (UTC), name, and totals.\n"
    "  -l, --long        also the block of each entry, and the stored bytes of escaped names\n"
    "  --json            one JSON document per archive\n"
    "  --sha256          the SHA-256 of each entry's data (decodes the archive)\n"
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

int HashSink(void* hash, const void* data, size_t size) {
    static_cast<platform::Sha256*>(hash)->Update(data, size);
    return 0;
}

// The SHA-256 of entry index, or empty (reported) when it cannot be decoded.
std::string EntryHash(qx1_archive* archive, size_t index, const std::string& path) {
    platform::Sha256 hash;
    const int result = qx1_read_entry(archive, index, HashSink, &hash);
    if (result != QX1_OK) {
        QxError(path + ": " + qx1_entry_at(archive, index)->name + ": " + qx1_strerror(result));
        return {};
    }
    return hash.HexDigest();
}

std::string Dump(const nlohmann::ordered_json& document) {
    return document.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

}  // namespace

int RunList(const std::vector<std::string>& args) {
    const ParsedArguments arguments = ParseArguments(
        args, {{"long", 'l', false}, {"json", 0, false}, {"sha256", 0, false}, {"help", 'h', false}, QX_PASSWORD_OPTIONS});
    if (arguments.Has("help")) {
        platform::WriteTextOut(kListUsage);
        return 0;
    }
    if (!arguments.error.empty()) return UsageError("list", arguments.error);
    if (arguments.operands.empty()) return UsageError("list", "no archive given");
    const bool json = arguments.Has("json");
    const bool longForm = arguments.Has("long");
    const bool hashes = arguments.Has("sha256");
    PasswordSource passwords;
    std::string error;
    if (!passwords.Resolve(arguments, error)) return UsageError("list", error);

    int status = 0;
    for (size_t a = 0; a < arguments.operands.size(); ++a) {
        const std::string& path = arguments.operands[a];
        std::string failure;
        const ArchiveHandle archive = passwords.Open(path, failure, true);
        if (!archive) {
            status = 2;
            if (json) platform::WriteTextOut(Dump({{"archive", path}, {"error", failure}}));
            continue;
        }
        const size_t count = qx1_entry_count(archive.get());
        const uint64_t total = qx1_total_size(archive.get());
        // Written as it goes, a piece at a time: the listing of a large
        // archive is never held whole.
        std::string text;
        const auto flush = [&text](bool always) {
            if (!always && text.size() < (1u << 16)) return;
            platform::WriteTextOut(text);
            text.clear();
        };
        if (json) {
            const std::string head = Dump({{"archive", path}, {"files", count}, {"size", total}});
            text += head.substr(0, head.size() - 2) + ",\"entries\":[";
        } else if (arguments.operands.size() > 1) {
            if (a > 0) text += '\n';
            text += ShownText(path);
            text += ":\n";
        }
        for (size_t i = 0; i < count; ++i) {
            const qx1_entry& entry = *qx1_entry_at(archive.get(), i);
            const char* problem = (entry.flags & QX1_ENTRY_UNSAFE) ? qx1_entry_problem(archive.get(), i) : nullptr;
            std::string hash;
            if (hashes) {
                hash = EntryHash(archive.get(), i, path);
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
                if (hashes) item["sha256"] = hash.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(hash);
                const std::string line = Dump(item);
                if (i > 0) text += ',';
                text.append(line, 0, line.size() - 1);
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
        } else {
            char totals[96];
            std::snprintf(totals, sizeof totals, "%12llu  %zu file%s\n", static_cast<unsigned long long>(total), count,
                          count == 1 ? "" : "s");
            text += totals;
        }
        flush(true);
    }
    return platform::FlushStandardOutput() ? status : 2;
}
