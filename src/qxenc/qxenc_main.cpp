// SPDX-License-Identifier: MIT
#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "create/CreateCommand.h"
#include "platform/HostConsole.h"
#include "platform/Interrupts.h"
#include "platform/Process.h"

namespace {

int Encode(int argc, char** argv) {
    platform::HostConsole console;
    std::vector<std::string> args;
    std::string refused;
    if (!platform::CommandLineArguments(argc, argv, args, refused)) {
        console.WriteError("qxenc: the argument " + refused + " has no Shift-JIS form\n");
        return 1;
    }
    const int status = RunCreateCommand(args, console);
    console.Flush();
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    platform::CleanUpOnInterrupt();
    // The last resort: no failure ends the program without a word.
    try {
        return Encode(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fputs("qxenc: not enough memory; nothing written\n", stderr);
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "qxenc: %s; nothing written\n", failure.what());
    }
    return 2;
}
