#include <string>
#include <vector>

#include "app/ArchiveLoop.h"
#include "app/ProgramEntry.h"
#include "platform/HostConsole.h"
#include "platform/Process.h"

int main(int argc, char** argv) {
    platform::HostConsole console;
    std::vector<std::string> args;
    std::string refused;
    if (!platform::CommandLineArguments(argc, argv, args, refused)) return RefuseArgument(console, refused);
    const ProgramFile program = FindProgramFile(args.empty() ? std::string() : args[0]);
    const int status = RunEntry(args, console, program, RunArchiveLoop);
    console.Flush();
    return status;
}
