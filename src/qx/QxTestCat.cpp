#include <cstring>

#include "qx/QxArchive.h"
#include "qx/QxCommands.h"
#include "qx/QxProgress.h"
#include "platform/Terminal.h"
#include "util/ShownText.h"

namespace {

constexpr const char* kTestUsage =
    "usage: qx test [-p PASSWORD | --password-file=FILE] [-q] ARCHIVE...\n"
    "Decodes every entry of each archive and writes nothing; one line per archive: OK or the error.\n";

constexpr const char* kCatUsage =
    "usage: qx cat [-p PASSWORD | --password-file=FILE] ARCHIVE NAME...\n"
    "Writes the bytes of the named entries to standard output, in the order given.\n";

int ToStandardOutput(void*, const void* data, size_t size) { return platform::WriteStandardOutput(data, size) ? 0 : 1; }

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
        ParseArguments(args, {{"quiet", 'q', false}, {"help", 'h', false}, QX_PASSWORD_OPTIONS});
    if (arguments.Has("help")) {
        platform::WriteTextOut(kTestUsage);
        return 0;
    }
    if (!arguments.error.empty()) return UsageError("test", arguments.error);
    if (arguments.operands.empty()) return UsageError("test", "no archive given");
    PasswordSource passwords;
    std::string error;
    if (!passwords.Resolve(arguments, error)) return UsageError("test", error);
    int status = 0;
    for (const std::string& path : arguments.operands) {
        std::string failure;
        const ArchiveHandle archive = passwords.Open(path, failure, false);
        int result = QX1_E_OPEN;
        if (archive) {
            WarnUnsafeNames(archive.get(), path);
            ProgressBar progress(!arguments.Has("quiet") && platform::StandardErrorIsTerminal());
            progress.SetName(path);
            progress.Attach(archive.get());
            result = qx1_test(archive.get());
            failure = qx1_strerror(result);
        }
        if (result != QX1_OK) status = 2;
        platform::WriteTextOut(ShownText(path) + ": " + (result == QX1_OK ? "OK" : "FAILED: " + failure) + "\n");
        platform::FlushStandardOutput();
    }
    return status;
}

int RunCat(const std::vector<std::string>& args) {
    const ParsedArguments arguments = ParseArguments(args, {{"help", 'h', false}, QX_PASSWORD_OPTIONS});
    if (arguments.Has("help")) {
        platform::WriteTextOut(kCatUsage);
        return 0;
    }
    if (!arguments.error.empty()) return UsageError("cat", arguments.error);
    if (arguments.operands.size() < 2) return UsageError("cat", "give an archive and the names of entries");
    PasswordSource passwords;
    std::string error;
    if (!passwords.Resolve(arguments, error)) return UsageError("cat", error);
    const std::string& path = arguments.operands[0];
    const ArchiveHandle archive = passwords.Open(path, error, true);
    if (!archive) return 2;
    int status = 0;
    const size_t count = qx1_entry_count(archive.get());
    for (size_t n = 1; n < arguments.operands.size(); ++n) {
        const std::string& name = arguments.operands[n];
        size_t index = 0;
        while (index < count && std::strcmp(qx1_entry_at(archive.get(), index)->name, name.c_str()) != 0) ++index;
        if (index == count) {
            QxError(path + ": no entry named " + name);
            status = 2;
            continue;
        }
        const int result = qx1_read_entry(archive.get(), index, ToStandardOutput, nullptr);
        if (result != QX1_OK) {
            QxError(path + ": " + name + ": " +
                    (result == QX1_E_STOPPED ? std::string("cannot write to standard output") : qx1_strerror(result)));
            status = 2;
            if (result == QX1_E_STOPPED) break;
        }
    }
    return platform::FlushStandardOutput() ? status : 2;
}
