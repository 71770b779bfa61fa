// SPDX-License-Identifier: MIT
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "qxdec/ArchiveLoop.h"
#include "qxdec/ProgramEntry.h"
#include "platform/HostConsole.h"
#include "platform/Interrupts.h"
#include "platform/Process.h"

namespace {

int Decode(int argc, char** argv) {
    platform::HostConsole console;
    std::vector<std::string> args;
    std::string refused;
    if (!platform::CommandLineArguments(argc, argv, args, refused)) return RefuseArgument(console, refused);
    const ProgramFile program = FindProgramFile(args.empty() ? std::string() : args[0]);
    const int status = RunEntry(args, console, program, RunArchiveLoop);
    console.Flush();
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    platform::CleanUpOnInterrupt();
    // The last resort: every allocation an archive sizes is made without
    // throwing, so this is only reached when the program itself runs out.
    try {
        return Decode(argc, argv);
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "qxdec: %s\n", failure.what());
    }
    return 2;
}
