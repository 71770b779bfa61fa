#include "qx/QxArchive.h"
#include "qx/QxCommands.h"
#include "platform/Process.h"
#include "platform/Terminal.h"

#ifdef QX_HAVE_CONVERT
#include "qx/ConvertArchive.h"
#include "platform/ReplacingFile.h"
#endif

namespace {

constexpr const char* kConvertUsage =
    "usage: qx convert [--format=FORMAT] [-p PASSWORD | --password-file=FILE] ARCHIVE OUTPUT\n"
    "Writes every entry, with its UTF-8 name and time, into a tar or zip archive; the format\n"
    "follows OUTPUT's extension (.tar, .tar.gz, .tgz, .tar.xz, .tar.zst, .zip), or --format\n"
    "names it (tar, tar.gz, tar.xz, tar.zst, zip). OUTPUT - is standard output (with --format).\n"
    "The output is written to a temporary file and renamed into place when complete.\n";

}  // namespace

int RunConvert(const std::vector<std::string>& args) {
    const ParsedArguments arguments =
        ParseArguments(args, {{"format", 0, true}, {"help", 'h', false}, QX_PASSWORD_OPTIONS});
    if (arguments.Has("help")) {
        platform::WriteTextOut(kConvertUsage);
        return 0;
    }
#ifndef QX_HAVE_CONVERT
    QxError("convert is not part of this build (the Windows programs leave it out); use qx extract");
    return 1;
#else
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
        QxError(output + ": cannot be created");
        return 2;
    }
    const auto write = [&](const void* data, size_t size) {
        return toStandardOutput ? platform::WriteStandardOutput(data, size) : file.Write(data, size);
    };
    if (ConvertArchive(archive.get(), format, write, error) != QX1_OK) {
        QxError(path + ": " + error + "; nothing written");
        return 2;
    }
    if (toStandardOutput ? !platform::FlushStandardOutput() : !file.Commit()) {
        QxError(output + ": cannot be written");
        return 2;
    }
    return 0;
#endif
}
