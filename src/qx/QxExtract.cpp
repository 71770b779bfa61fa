#include <cstdint>
#include <string>
#include <vector>

#include "qx/QxArchive.h"
#include "qx/QxCommands.h"
#include "qx/QxProgress.h"
#include "platform/Terminal.h"
#include "util/Glob.h"
#include "util/StripFolders.h"

namespace {

constexpr const char* kExtractUsage =
    "usage: qx extract ARCHIVE [PATTERN...] [-o DIR] [--overwrite=ask|never|always] [--skip-identical]\n"
    "                  [--strip-components=N] [-p PASSWORD | --password-file=FILE] [-q]\n"
    "Extracts all entries, or those whose name matches a PATTERN (\"*\" and \"?\" stay within a folder,\n"
    "\"**\" crosses folders, \"[...]\" is a set; a pattern that names a folder takes everything in it),\n"
    "restoring their modification times.\n"
    "  -o, --output DIR        the folder to extract into (made when missing; default: the current folder)\n"
    "  --overwrite=POLICY      existing files: ask (the default; never without a terminal), never, always\n"
    "  --skip-identical        leave a file alone when its bytes and time already match\n"
    "  --strip-components=N    drop the first N folders of each name\n"
    "  -p, --password PASSWORD, --password-file FILE\n"
    "                          the password (else QX_PASSWORD, else asked on the terminal)\n"
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
};

}  // namespace

int RunExtract(const std::vector<std::string>& args) {
    const ParsedArguments arguments =
        ParseArguments(args, {{"output", 'o', true}, {"overwrite", 0, true}, {"skip-identical", 0, false},
                              {"strip-components", 0, true}, {"quiet", 'q', false}, {"help", 'h', false},
                              QX_PASSWORD_OPTIONS});
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
    const std::string folder = arguments.Value("output").value_or(".");
    PasswordSource passwords;
    std::string error;
    if (!passwords.Resolve(arguments, error)) return UsageError("extract", error);

    const std::string& path = arguments.operands[0];
    const std::vector<std::string> patterns(arguments.operands.begin() + 1, arguments.operands.end());
    const ArchiveHandle archive = passwords.Open(path, error, true);
    if (!archive) return 2;
    const size_t count = qx1_entry_count(archive.get());

    int status = 0;
    std::vector<size_t> selected;
    std::vector<bool> used(patterns.size(), false);
    for (size_t i = 0; i < count; ++i) {
        const qx1_entry& entry = *qx1_entry_at(archive.get(), i);
        bool take = patterns.empty();
        for (size_t p = 0; p < patterns.size(); ++p) {
            if (GlobSelects(patterns[p], entry.name)) take = used[p] = true;
        }
        if (!take) continue;
        // Unsafe names refuse the archive before anything is written.
        if (entry.flags & QX1_ENTRY_UNSAFE) {
            QxError(path + ": \"" + entry.name + "\": " + qx1_entry_problem(archive.get(), i) + "; nothing extracted");
            return 2;
        }
        selected.push_back(i);
    }
    for (size_t p = 0; p < patterns.size(); ++p) {
        if (!used[p]) {
            QxError(path + ": no entry matches " + patterns[p]);
            status = 2;
        }
    }

    ProgressBar progress(!quiet && platform::StandardErrorIsTerminal());
    progress.Attach(archive.get());
    Counts counts;
    for (const size_t i : selected) {
        const qx1_entry& entry = *qx1_entry_at(archive.get(), i);
        const std::string target = StripFolders(entry.name, strip);
        if (target.empty()) continue;
        progress.SetName(entry.name);
        unsigned flags = policy == Overwrite::Always ? QX1_REPLACE : 0u;
        if (arguments.Has("skip-identical")) flags |= QX1_SKIP_IDENTICAL;
        int result = qx1_extract_entry(archive.get(), i, folder.c_str(), target.c_str(), flags);
        if (result == QX1_SKIPPED_EXISTING && policy == Overwrite::Ask) {
            progress.Clear();
            const char answer = AskReplace(folder + "/" + target);
            if (answer == 'q') break;
            if (answer == 'A') policy = Overwrite::Always;
            if (answer == 'N') policy = Overwrite::Never;
            if (answer == 'y' || answer == 'A') {
                result = qx1_extract_entry(archive.get(), i, folder.c_str(), target.c_str(), flags | QX1_REPLACE);
            }
        }
        if (result == QX1_OK) {
            ++counts.files;
            counts.bytes += entry.size;
            continue;
        }
        if (result > 0) {
            ++counts.skipped;
            continue;
        }
        progress.Clear();
        QxError(path + ": " + entry.name + ": " + qx1_strerror(result));
        status = 2;
        // The data of the entries behind a damaged block cannot be reached.
        if (result == QX1_E_DAMAGED || result == QX1_E_NO_MEMORY || result == QX1_E_OPEN) break;
    }
    progress.Clear();
    if (!quiet) {
        std::string summary = path + ": " + std::to_string(counts.files) + " file" + (counts.files == 1 ? "" : "s") +
                              " (" + std::to_string(counts.bytes) + " bytes) extracted to " + folder;
        if (counts.skipped > 0) summary += ", " + std::to_string(counts.skipped) + " existing kept";
        platform::WriteTextError(summary + "\n");
    }
    return status;
}
