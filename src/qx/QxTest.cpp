// SPDX-License-Identifier: MIT
#include <nlohmann/json.hpp>

#include "platform/Terminal.h"
#include "qx/QxArchive.h"
#include "qx/QxCommands.h"
#include "qx/QxJson.h"
#include "qx/QxProgress.h"
#include "util/ShownText.h"

namespace {

constexpr const char* kTestUsage =
    "usage: qx test [--json] [-q] [-p PASSWORD | --password-file=FILE] ARCHIVE...\n"
    "Decodes every entry of each archive and writes nothing. One line per archive on standard output,\n"
    "\"OK, decoded without error\" or FAILED and the reason, and a summary at the end; damaged and lost\n"
    "entries and warnings are named on standard error.\n"
    "The format carries no checksum: decoding without error does not prove that the bytes are the ones\n"
    "once stored. A manifest does: qx list --json --sha256 writes one, qx verify checks against it.\n"
    "  --json     one JSON document per archive, with the status of every entry (ok, damaged, lost)\n"
    "  -q         only the archives that failed, and no summary\n"
    "  -p, --password PASSWORD, --password-file FILE\n"
    "             the password (else QX_PASSWORD, else asked on the terminal)\n";

const char* StatusOf(int state) {
    switch (state) {
        case QX1_OK:
            return "ok";
        case QX1_E_DAMAGED:
            return "damaged";
        case QX1_E_LOST:
            return "lost";
        default:
            return "unknown";
    }
}

// Names that extract would refuse, as warnings: the data decode all the
// same. The names are looked at without making the entry list.
void WarnUnsafeNames(qx1_archive* archive, const std::string& path) {
    for (size_t i = 0; i < qx1_entry_count(archive); ++i) {
        if (const char* problem = qx1_entry_problem(archive, i)) {
            const qx1_entry* entry = qx1_entry_at(archive, i);
            QxError(path + ": warning: \"" + (entry ? entry->name : "?") + "\": " + problem +
                    "; qx extract refuses this archive");
        }
    }
}

}  // namespace

int RunTest(const std::vector<std::string>& args) {
    const ParsedArguments arguments =
        ParseArguments(args, {{"quiet", 'q', false}, {"json", 0, false}, {"help", 'h', false}, QX_PASSWORD_OPTIONS});
    if (arguments.Has("help")) {
        platform::WriteTextOut(kTestUsage);
        return 0;
    }
    if (!arguments.error.empty()) return UsageError("test", arguments.error);
    if (arguments.operands.empty()) return UsageError("test", "no archive given");
    const bool json = arguments.Has("json");
    const bool quiet = arguments.Has("quiet");
    PasswordSource passwords;
    std::string error;
    if (!passwords.Resolve(arguments, error)) return UsageError("test", error);
    size_t passed = 0;
    const std::vector<std::string> archives = ExpandArchives(arguments.operands);
    for (const std::string& path : archives) {
        std::string failure;
        const ArchiveHandle archive = passwords.Open(path, failure, json, false);
        int result = passwords.code;
        nlohmann::ordered_json document = JsonDocument(path);
        if (archive) {
            WarnUnsafeNames(archive.get(), path);
            ProgressBar progress(!quiet && platform::StandardErrorIsTerminal());
            progress.SetName(path);
            progress.Attach(archive.get());
            result = qx1_test(archive.get());
            progress.Clear();
            failure = qx1_strerror(result);
        }
        document["result"] = result == QX1_OK ? "ok" : "failed";
        if (result != QX1_OK) {
            document["error"] = failure;
            document["error_code"] = ErrorCode(result);
        }
        if (archive) {
            const size_t count = qx1_entry_count(archive.get());
            nlohmann::ordered_json entries = nlohmann::ordered_json::array();
            for (size_t i = 0; i < count && (json || result != QX1_OK); ++i) {
                const int state = qx1_entry_state(archive.get(), i);
                if (json) entries.push_back({{"name", qx1_entry_at(archive.get(), i)->name}, {"status", StatusOf(state)}});
                if (state == QX1_E_DAMAGED || state == QX1_E_LOST) {
                    const qx1_entry* entry = qx1_entry_at(archive.get(), i);
                    QxError(path + ": " + StatusOf(state) + ": " + (entry ? entry->name : "?"));
                }
            }
            document["files"] = count;
            if (json) document["entries"] = std::move(entries);
        }
        if (result == QX1_OK) ++passed;
        if (json) {
            platform::WriteTextOut(Dump(document));
        } else if (result != QX1_OK || !quiet) {
            platform::WriteTextOut(ShownText(path) + ": " + (result == QX1_OK ? "OK, decoded without error" : "FAILED: " + failure) + "\n");
        }
        platform::FlushStandardOutput();
    }
    const size_t failed = archives.size() - passed;
    if (!json && !quiet) {
        platform::WriteTextOut(std::to_string(archives.size()) + " archive" +
                               (archives.size() == 1 ? "" : "s") + ": " + std::to_string(passed) +
                               " decoded without error, " + std::to_string(failed) + " failed\n");
    }
    return platform::FlushStandardOutput() && failed == 0 ? 0 : 2;
}
