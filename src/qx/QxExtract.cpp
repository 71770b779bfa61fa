// SPDX-License-Identifier: MIT
#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/SystemError.h"
#include "platform/Terminal.h"
#include "qx/QxArchive.h"
#include "qx/QxCommands.h"
#include "qx/QxJson.h"
#include "qx/QxProgress.h"
#include "qx/Selection.h"
#include "util/StripFolders.h"

namespace {

constexpr const char* kExtractUsage =
    "usage: qx extract ARCHIVE [PATTERN...] [-o DIR] [--overwrite=ask|never|always] [--skip-identical]\n"
    "                  [--strip-components=N] [--exclude=PATTERN] [--json] [-p PASSWORD | --password-file=FILE] [-q]\n"
    "Extracts all entries, or those whose name matches a PATTERN (\"*\" and \"?\" stay within a folder,\n"
    "\"**\" crosses folders, \"[...]\" is a set; a pattern that names a folder, with or without a\n"
    "trailing \"/\", takes everything in it), restoring their modification times. ARCHIVE - reads\n"
    "standard input. Entries that cannot be decoded are named (damaged, or lost behind the damage).\n"
    "Exit status 0 only when every selected entry was written or kept as asked.\n"
    "  -o, --output DIR        the folder to extract into (made when missing; default: the current folder)\n"
    "  --overwrite=POLICY      existing files: ask (the default; never without a terminal), never, always\n"
    "  --skip-identical        leave a file alone when its bytes and time already match\n"
    "  --strip-components=N    drop the first N folders of each name\n"
    "  -p, --password PASSWORD, --password-file FILE\n"
    "                          the password (else QX_PASSWORD, else asked on the terminal)\n"
    "  --exclude=PATTERN       leave out the entries that PATTERN selects (may be given more than once)\n"
    "  --json                  a JSON document with the status of every entry on standard output\n"
    "  -q, --quiet             no progress and no summary\n";

enum class Overwrite { Ask, Never, Always };

// The answer to "replace?": 'y', 'n', 'A' (all), 'N' (none) or 'q' (quit).
char AskReplace(const std::string& shown) {
    for (;;) {
        std::string answer;
        if (!platform::AskTerminal("replace " + shown + "? [y]es, [n]o, [A]ll, [N]one, [q]uit: ", false, answer)) {
            return 'N';
        }
        if (answer == "y" || answer == "yes") return 'y';
        if (answer == "n" || answer == "no") return 'n';
        if (answer == "A" || answer == "all") return 'A';
        if (answer == "N" || answer == "none") return 'N';
        if (answer == "q" || answer == "quit") return 'q';
    }
}

struct Counts {
    uint64_t files = 0;
    uint64_t bytes = 0;
    uint64_t skipped = 0;
    uint64_t failed = 0;
};

}  // namespace

int RunExtract(const std::vector<std::string>& args) {
    const ParsedArguments arguments =
        ParseArguments(args, {{"output", 'o', true}, {"overwrite", 0, true}, {"skip-identical", 0, false},
                              {"strip-components", 0, true}, {"quiet", 'q', false}, {"json", 0, false},
                              {"exclude", 0, true}, {"help", 'h', false}, QX_PASSWORD_OPTIONS});
    if (arguments.Has("help")) {
        platform::WriteTextOut(kExtractUsage);
        return 0;
    }
    if (!arguments.error.empty()) return UsageError("extract", arguments.error);
    if (arguments.operands.empty()) return UsageError("extract", "no archive given");
    const std::string policyText = arguments.Value("overwrite").value_or("ask");
    Overwrite policy = Overwrite::Ask;
    if (policyText == "never") policy = Overwrite::Never;
    else if (policyText == "always") policy = Overwrite::Always;
    else if (policyText != "ask") return UsageError("extract", "--overwrite takes ask, never or always");
    if (policy == Overwrite::Ask && !platform::StandardInputIsTerminal()) policy = Overwrite::Never;
    const std::string stripText = arguments.Value("strip-components").value_or("0");
    if (stripText.empty() || stripText.find_first_not_of("0123456789") != std::string::npos || stripText.size() > 6) {
        return UsageError("extract", "--strip-components takes a number");
    }
    const unsigned long strip = std::stoul(stripText);
    const bool quiet = arguments.Has("quiet");
    const bool json = arguments.Has("json");
    const std::string folder = arguments.Value("output").value_or(".");
    PasswordSource passwords;
    std::string error;
    if (!passwords.Resolve(arguments, error)) return UsageError("extract", error);

    std::string path;
    if (!OneArchive(arguments.operands[0], path)) return UsageError("extract", arguments.operands[0] + " names more than one archive");
    nlohmann::ordered_json document = JsonDocument(path);
    document["output"] = folder;
    const auto finish = [&](int status) {
        if (json) platform::WriteTextOut(Dump(document));
        return platform::FlushStandardOutput() ? status : 2;
    };
    const ArchiveHandle archive = passwords.Open(path, error, true);
    if (!archive) {
        document["result"] = "failed";
        document["error"] = error;
        document["error_code"] = ErrorCode(passwords.code);
        return finish(2);
    }
    const size_t count = qx1_entry_count(archive.get());
    const std::vector<std::string> patterns(arguments.operands.begin() + 1, arguments.operands.end());
    const std::vector<std::string> excludes = arguments.Values("exclude");
    Selection selection(patterns, excludes);

    // Every entry's status, in the archive's order, for the JSON document.
    std::vector<nlohmann::ordered_json> statuses(json ? count : 0);
    const auto record = [&](size_t i, const char* status, const std::string& reason = {}, const char* code = nullptr) {
        if (!json) return;
        nlohmann::ordered_json item = {{"name", qx1_entry_at(archive.get(), i)->name}, {"status", status}};
        if (!reason.empty()) item["reason"] = reason;
        if (code) item["error_code"] = code;
        statuses[i] = std::move(item);
    };
    int status = 0;
    std::vector<size_t> selected;
    const qx1_entry* unsafe = nullptr;
    size_t unsafeIndex = 0;
    for (size_t i = 0; i < count; ++i) {
        const qx1_entry& entry = *qx1_entry_at(archive.get(), i);
        if (!selection.Takes(entry.name)) {
            record(i, "skipped", "not selected");
            continue;
        }
        if ((entry.flags & QX1_ENTRY_UNSAFE) && !unsafe) {
            unsafe = &entry;
            unsafeIndex = i;
        }
        selected.push_back(i);
    }
    // Unsafe names refuse the archive before anything is written.
    if (unsafe) {
        const std::string problem = qx1_entry_problem(archive.get(), unsafeIndex);
        QxError(path + ": \"" + unsafe->name + "\": " + problem + "; nothing extracted");
        for (const size_t i : selected) {
            const char* reason = qx1_entry_problem(archive.get(), i);
            record(i, reason ? "refused" : "skipped", reason ? reason : "the archive was refused",
                   reason ? "unsafe_name" : nullptr);
        }
        document["result"] = "failed";
        document["error"] = std::string("\"") + unsafe->name + "\": " + problem;
        document["error_code"] = "unsafe_name";
        if (json) document["entries"] = statuses;
        return finish(2);
    }
    for (const std::string& unused : selection.Unused()) {
        QxError(path + ": no entry matches " + unused);
        status = 2;
    }

    ProgressBar progress(!quiet && platform::StandardErrorIsTerminal());
    progress.Attach(archive.get());
    Counts counts;
    bool quit = false;
    for (const size_t i : selected) {
        const qx1_entry& entry = *qx1_entry_at(archive.get(), i);
        if (quit) {
            record(i, "skipped", "the user quit");
            continue;
        }
        const std::string target = StripFolders(entry.name, strip);
        if (target.empty()) {
            record(i, "skipped", "nothing left after --strip-components");
            continue;
        }
        progress.SetName(entry.name);
        unsigned flags = policy == Overwrite::Always ? QX1_REPLACE : 0u;
        if (arguments.Has("skip-identical")) flags |= QX1_SKIP_IDENTICAL;
        int result = qx1_extract_entry(archive.get(), i, folder.c_str(), target.c_str(), flags);
        if (result == QX1_SKIPPED_EXISTING && policy == Overwrite::Ask) {
            progress.Clear();
            const char answer = AskReplace(folder + "/" + target);
            if (answer == 'q') quit = true;
            if (answer == 'A') policy = Overwrite::Always;
            if (answer == 'N') policy = Overwrite::Never;
            if (answer == 'y' || answer == 'A') {
                result = qx1_extract_entry(archive.get(), i, folder.c_str(), target.c_str(), flags | QX1_REPLACE);
            }
        }
        result = EntryFailure(archive.get(), i, result);
        if (result == QX1_OK) {
            ++counts.files;
            counts.bytes += entry.size;
            record(i, "ok");
            continue;
        }
        if (result > 0) {
            ++counts.skipped;
            record(i, "skipped", result == QX1_SKIPPED_IDENTICAL ? "identical" : "existing");
            continue;
        }
        progress.Clear();
        std::string reason = qx1_strerror(result);
        if (result == QX1_E_WRITE) {
            if (const std::string system = platform::SystemErrorText(); !system.empty()) reason += " (" + system + ")";
        }
        QxError(path + ": " + entry.name + ": " + reason);
        ++counts.failed;
        status = 2;
        const bool damaged = result == QX1_E_DAMAGED || result == QX1_E_LOST;
        record(i, result == QX1_E_LOST ? "lost" : damaged ? "damaged" : "failed", reason, ErrorCode(result));
        // The data of the entries behind a damaged block cannot be reached;
        // each is named.
        if (result == QX1_E_NO_MEMORY || result == QX1_E_OPEN) quit = true;
    }
    progress.Clear();
    if (!quiet) {
        std::string summary = path + ": " + std::to_string(counts.files) + " file" + (counts.files == 1 ? "" : "s") +
                              " (" + std::to_string(counts.bytes) + " bytes) extracted to " + folder;
        if (counts.skipped > 0) summary += ", " + std::to_string(counts.skipped) + " existing kept";
        if (counts.failed > 0) summary += ", " + std::to_string(counts.failed) + " failed";
        platform::WriteTextError(summary + "\n");
    }
    document["result"] = status == 0 ? "ok" : "failed";
    document["files"] = counts.files;
    document["bytes"] = counts.bytes;
    document["kept"] = counts.skipped;
    document["failed"] = counts.failed;
    if (json) document["entries"] = statuses;
    return finish(status);
}
