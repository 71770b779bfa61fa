// SPDX-License-Identifier: MIT
#include <algorithm>
#include <cstring>

#include "platform/Terminal.h"
#include "qx/QxArchive.h"
#include "qx/QxCommands.h"
#include "qx/Selection.h"

namespace {

constexpr const char* kCatUsage =
    "usage: qx cat [--exclude=PATTERN] [-p PASSWORD | --password-file=FILE] ARCHIVE NAME...\n"
    "Writes the bytes of the entries that the names select to standard output, in the archive's order.\n"
    "A name may be a pattern (\"*\", \"?\", \"**\", \"[...]\") or a folder, which takes everything in it.\n"
    "  --exclude=PATTERN   leave out the entries that PATTERN selects (may be given more than once)\n";

int ToStandardOutput(void*, const void* data, size_t size) { return platform::WriteStandardOutput(data, size) ? 0 : 1; }

}  // namespace

int RunCat(const std::vector<std::string>& args) {
    const ParsedArguments arguments =
        ParseArguments(args, {{"exclude", 0, true}, {"help", 'h', false}, QX_PASSWORD_OPTIONS});
    if (arguments.Has("help")) {
        platform::WriteTextOut(kCatUsage);
        return 0;
    }
    if (!arguments.error.empty()) return UsageError("cat", arguments.error);
    if (arguments.operands.size() < 2) return UsageError("cat", "give an archive and the names of entries");
    PasswordSource passwords;
    std::string error;
    if (!passwords.Resolve(arguments, error)) return UsageError("cat", error);
    std::string path;
    if (!OneArchive(arguments.operands[0], path)) return UsageError("cat", arguments.operands[0] + " names more than one archive");
    const ArchiveHandle archive = passwords.Open(path, error, true);
    if (!archive) return 2;
    const std::vector<std::string> names(arguments.operands.begin() + 1, arguments.operands.end());
    const std::vector<std::string> excludes = arguments.Values("exclude");
    Selection selection(names, excludes);
    std::vector<bool> named(names.size(), false);
    int status = 0;
    const size_t count = qx1_entry_count(archive.get());
    for (size_t index = 0; index < count; ++index) {
        const char* name = qx1_entry_at(archive.get(), index)->name;
        // A name stands for itself too, whatever pattern characters it holds.
        bool exact = false;
        for (size_t n = 0; n < names.size(); ++n) {
            if (names[n] == name) exact = named[n] = true;
        }
        if (!selection.Takes(name) && !(exact && Selection({name}, excludes).Takes(name))) continue;
        const int result = qx1_read_entry(archive.get(), index, ToStandardOutput, nullptr);
        if (result != QX1_OK) {
            QxError(path + ": " + name + ": " +
                    (result == QX1_E_STOPPED ? std::string("cannot write to standard output") : qx1_strerror(result)));
            status = 2;
            if (result == QX1_E_STOPPED) break;
        }
    }
    const std::vector<std::string> unused = selection.Unused();
    for (size_t n = 0; n < names.size(); ++n) {
        std::string bare = names[n];
        while (bare.size() > 1 && bare.back() == '/') bare.pop_back();
        if (!named[n] && std::find(unused.begin(), unused.end(), bare) != unused.end()) {
            QxError(path + ": no entry named " + names[n]);
            status = 2;
        }
    }
    return platform::FlushStandardOutput() ? status : 2;
}
