// SPDX-License-Identifier: MIT
#include "qxdec/ProgramEntry.h"

#include "qxdec/CommandLine.h"
#include "qxdec/ExecutableImage.h"
#include "qxdec/ConsoleDialog.h"
#include "qxdec/Messages.h"
#include "platform/Files.h"
#include "platform/Process.h"

namespace {

// Room for a typed folder name; the rest of a longer line is consumed.
constexpr size_t kFolderLineLimit = 4096;

void PrintBanner(ConsoleIo& console) {
    console.Write(Text(Msg::BannerLine1));
    console.Write(Text(Msg::BannerLine2));
    console.Write(Text(Msg::BannerLine3));
    console.Write("\n");
}

void PrintUsage(ConsoleIo& console) {
    console.Write(Text(Msg::Usage));
    console.Write("\n");
}

std::optional<std::string> InputDirName(ConsoleIo& console) {
    console.Write(Text(Msg::HeaderDirName));
    console.Write(Text(Msg::AskOutputFolder));
    console.Write(Text(Msg::PromptSuffix));
    std::string line;
    if (!console.ReadLine(line, kFolderLineLimit)) return std::nullopt;
    return line;
}

}  // namespace

ProgramFile FindProgramFile(const std::string& argv0) {
    ProgramFile program;
    platform::FileStatus status;
    if (!argv0.empty() && platform::Stat(argv0, status) && !status.isDirectory) {
        program.path = argv0;
    } else {
        program.path = platform::OwnExecutablePath();
        if (program.path.empty() || !platform::Stat(program.path, status)) return program;
    }
    program.size = status.size;
    program.imageLength = ExecutableImageLength(program.path);
    return program;
}

int RunEntry(const std::vector<std::string>& args, ConsoleIo& console, const ProgramFile& program,
             const ArchiveLoopRunner& loop) {
    PrintBanner(console);
    const CommandLine line = ParseOptions(args, [&console] { return InputDirName(console); });
    if (line.illegalOption) {
        console.Write(Compose(Msg::IllegalOption, {*line.illegalOption}));
        PrintUsage(console);
        return 1;
    }

    DialogSettings settings;
    settings.presetPassword = line.presetPassword;
    settings.answerAllYes = line.answerAllYes;
    HandOver handOver;
    if (program.CarriesArchive()) {
        // The bare words are the password; the last one wins, also over -p.
        for (size_t i = 1; i < args.size(); ++i) {
            if (args[i].empty() || args[i][0] != '-') settings.presetPassword = args[i];
        }
        handOver.selfExtract = true;
        handOver.archives.push_back(program.path);
    } else {
        if (args.size() <= 1) {
            PrintUsage(console);
            return 1;
        }
        handOver.outputDir = line.outputDir;
        handOver.testFlag = line.testFlag;
        for (size_t i = 1; i < args.size(); ++i) {
            if (args[i].empty() || args[i][0] != '-') handOver.archives.push_back(args[i]);
        }
    }
    ConsoleDialog dialog(console, settings);
    return loop(handOver, dialog);
}

int RefuseArgument(ConsoleIo& console, const std::string& argument) {
    PrintBanner(console);
    console.Write(Text(Msg::HeaderMessage));
    console.Write(Compose(Msg::ArgumentNotCp932, {argument}));
    console.Write("\n");
    return 1;
}
