// SPDX-License-Identifier: MIT
#include "create/CreateCommand.h"

#include <cstdio>
#include <utility>

#include "create/ArchiveFile.h"
#include "create/ArchiveWriter.h"
#include "create/EncoderOptions.h"
#include "create/EntryOrder.h"
#include "create/SourceFiles.h"
#include "platform/MaskedEntry.h"
#include "platform/Files.h"
#include "platform/Process.h"
#include "platform/SystemError.h"
#include "platform/Terminal.h"
#include "util/FormatThousands.h"
#include "util/PathParts.h"
#include "util/VersionNotice.h"

namespace {

#ifdef _WIN32
constexpr const char* kDecoderName = "qxdec.exe";
#else
constexpr const char* kDecoderName = "qxdec";
#endif

// A typed password stops at this many bytes, as qxdec's does.
constexpr size_t kPasswordLimit = 255;

int Failure(ConsoleIo& console, const std::string& program, const std::string& text) {
    console.WriteError(program + ": " + text + "\n");
    return 2;
}

}  // namespace

int RunCreateCommand(const std::vector<std::string>& args, ConsoleIo& console, const std::string& program) {
    EncoderOptions options = ParseEncoderOptions(args);
    if (options.help) {
        console.Write(EncoderUsage(program));
        return 0;
    }
    if (options.version) {
        console.Write(program + " 1.1.0\n" + kVersionNotice);
        return 0;
    }
    if (!options.error.empty()) {
        console.WriteError(program + ": " + options.error + "\n" + EncoderUsage(program));
        return 1;
    }
    if (options.askPassword) {
        console.WriteError("QX InputPassword:\nPassword?:");
        options.password = ReadMaskedEntry(console, "Password?:", kPasswordLimit, true);
        console.WriteError("\n");
        if (options.password->empty()) return Failure(console, program, "no password was typed; nothing written");
    }

    std::vector<uint8_t> stub;
    if (options.sfxProgram) {
        const std::string path = options.sfxProgram->empty()
                                     ? PathParts(platform::OwnExecutablePath()).directory + kDecoderName
                                     : *options.sfxProgram;
        if (!ReadWholeFile(path, stub)) return Failure(console, program, "the program " + path + " cannot be read");
    }
    std::vector<ArchiveEntry> entries;
    std::string error;
    std::vector<std::string> warnings;
    // The archive being replaced is never stored in itself, whatever name
    // or link reaches it.
    platform::FileStatus target;
    const bool targetExists = options.archive != "-" && platform::IdentifyFile(options.archive, target);
    const bool collected = CollectSourceFiles(options.paths, entries, error, warnings, targetExists ? &target : nullptr);
    for (const std::string& warning : warnings) console.WriteError(program + ": warning: " + warning + "\n");
    if (!collected) return Failure(console, program, error + "; nothing written");
    if (entries.empty()) return Failure(console, program, "no file to store; nothing written");
    if (!options.keepOrder) OrderEntriesForBlocks(entries);

    ArchiveOptions archiveOptions;
    archiveOptions.largeTables = options.largeTables;
    archiveOptions.insertEveryPosition = options.insertEveryPosition;
    archiveOptions.password = options.password.value_or("");
    archiveOptions.level = options.level;
    archiveOptions.threads = options.threads;
    int shown = -1;
    std::function<void(int)> progress;
    if (!options.quiet && platform::StandardErrorIsTerminal()) {
        progress = [&console, &shown](int percent) {
            if (percent == shown) return;
            shown = percent;
            char line[16];
            std::snprintf(line, sizeof line, " %3d%%\r", percent);
            console.WriteError(line);
        };
    }
    const auto fileCount = static_cast<int64_t>(entries.size());
    int64_t input = 0;
    for (const ArchiveEntry& entry : entries) input += static_cast<int64_t>(entry.data.size());
    std::vector<uint8_t> archive = BuildArchive(std::move(entries), archiveOptions, progress);
    if (archive.empty()) return Failure(console, program, "not enough memory; nothing written");
    if (options.sfxProgram) archive = AppendToProgram(stub, archive);
    if (options.archive == "-") {
        if (!platform::WriteStandardOutput(archive.data(), archive.size()) || !platform::FlushStandardOutput()) {
            return Failure(console, program, "standard output cannot be written");
        }
    } else if (!WriteFileAtomically(options.archive, archive, options.sfxProgram.has_value())) {
        const std::string reason = platform::SystemErrorText();
        return Failure(console, program,
                       options.archive + " cannot be written" + (reason.empty() ? "" : " (" + reason + ")") +
                           "; nothing written");
    }
    if (!options.quiet && options.archive != "-") {
        console.WriteError(options.archive + ": " + FormatThousands(fileCount) + " files, " +
                      FormatThousands(input) + " bytes -> " + FormatThousands(static_cast<int64_t>(archive.size())) +
                      " bytes\n");
    }
    return 0;
}
