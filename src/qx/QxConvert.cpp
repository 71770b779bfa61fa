// SPDX-License-Identifier: MIT
#include "qx/QxArchive.h"
#include "qx/QxCommands.h"
#include "platform/Process.h"
#include "platform/SystemError.h"
#include "platform/Terminal.h"
#include "qx/Selection.h"

#ifdef QX_HAVE_CONVERT
#include "qx/ConvertArchive.h"
#include "platform/ReplacingFile.h"
#endif

namespace {

// The system's own words for the last failure, as " (words)".
[[maybe_unused]] std::string SystemReason() {
    const std::string reason = platform::SystemErrorText();
    return reason.empty() ? "" : " (" + reason + ")";
}

constexpr const char* kConvertUsage =
    "usage: qx convert [--format=FORMAT] [--partial] [--exclude=PATTERN] [-p PASSWORD | --password-file=FILE]\n"
    "                  ARCHIVE OUTPUT\n"
    "Writes every entry, with its UTF-8 name and time, into a tar or zip archive; the format\n"
    "follows OUTPUT's extension (.tar, .tar.gz, .tgz, .tar.xz, .tar.zst, .zip), or --format\n"
    "names it (tar, tar.gz, tar.xz, tar.zst, zip). OUTPUT - is standard output (with --format).\n"
    "The output is written to a temporary file and renamed into place when complete. A damaged archive\n"
    "writes nothing, unless --partial: then the entries that decode are written, the others named, and\n"
    "the exit status is 2.\n"
    "  --exclude=PATTERN   leave out the entries that PATTERN selects (may be given more than once)\n";

}  // namespace

int RunConvert(const std::vector<std::string>& args) {
    const ParsedArguments arguments =
        ParseArguments(args, {{"format", 0, true}, {"partial", 0, false}, {"exclude", 0, true}, {"help", 'h', false},
                              QX_PASSWORD_OPTIONS});
    if (arguments.Has("help")) {
        platform::WriteTextOut(kConvertUsage);
        return 0;
    }
    if (!arguments.error.empty()) return UsageError("convert", arguments.error);
    if (arguments.operands.size() != 2) return UsageError("convert", "give an archive and an output file");
    const std::string& path = arguments.operands[0];
    const std::string& output = arguments.operands[1];
    ConvertFormat format;
    const auto named = arguments.Value("format");
    if (named ? !ConvertFormatOf(*named, false, format) : !ConvertFormatOf(output, true, format)) {
        return UsageError("convert", named ? "unknown format " + *named
                                     : output == "-" ? std::string("standard output needs --format")
                                                     : "the output's extension names no known format");
    }
    const bool toStandardOutput = output == "-";
    if (toStandardOutput && platform::StandardOutputIsTerminal()) {
        return UsageError("convert", "the output would go to a terminal; redirect standard output or name a file");
    }
    PasswordSource passwords;
    std::string error;
    if (!passwords.Resolve(arguments, error)) return UsageError("convert", error);
    const ArchiveHandle archive = passwords.Open(path, error, true);
    if (!archive) return 2;

    platform::ReplacingFile file;
    if (!toStandardOutput && !file.Open(output)) {
        QxError(output + ": cannot be created" + SystemReason());
        return 2;
    }
    const auto write = [&](const void* data, size_t size) {
        return toStandardOutput ? platform::WriteStandardOutput(data, size) : file.Write(data, size);
    };
    ConvertOptions options;
    options.partial = arguments.Has("partial");
    const std::vector<std::string> excludes = arguments.Values("exclude");
    Selection selection({}, excludes);
    options.take = [&selection](const qx1_entry& entry) { return selection.Takes(entry.name); };
    if (ConvertArchive(archive.get(), format, write, error, options) != QX1_OK) {
        QxError(path + ": " + error + "; nothing written");
        return 2;
    }
    if (toStandardOutput ? !platform::FlushStandardOutput() : !file.Commit()) {
        QxError(output + ": cannot be written" + SystemReason());
        return 2;
    }
    // The entries left out: written as what they are, and the conversion
    // fails although its output is kept.
    for (const auto& [index, result] : options.left) {
        QxError(path + ": " + qx1_entry_at(archive.get(), index)->name + ": " + qx1_strerror(result) + "; left out");
    }
    if (!options.left.empty()) {
        QxError(path + ": " + std::to_string(options.left.size()) + " of " + std::to_string(qx1_entry_count(archive.get())) +
                " entries left out of " + output);
        return 2;
    }
    return 0;
}
