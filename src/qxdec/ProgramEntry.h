// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/ConsoleIo.h"
#include "qxdec/UserDialog.h"

// The program's own file: a file longer than its image carries an archive.
struct ProgramFile {
    std::string path;
    int64_t size = -1;
    int64_t imageLength = -1;

    bool CarriesArchive() const { return size >= 0 && imageLength > 0 && size > imageLength; }
};

// Finds the program's own file: argv[0] when it names a file, else the
// host's own-executable path.
ProgramFile FindProgramFile(const std::string& argv0);

// What the entry hands to the archive loop.
struct HandOver {
    bool selfExtract = false;
    std::optional<std::string> outputDir;  // ends in the separator
    bool testFlag = false;
    std::vector<std::string> archives;     // in argument order
};

using ArchiveLoopRunner = std::function<int(const HandOver&, UserDialog&)>;

// The qxdec entry: banner, option pass, mode, hand-over. Returns the exit
// status (1 for a command-line error, else the archive loop's).
int RunEntry(const std::vector<std::string>& args, ConsoleIo& console, const ProgramFile& program,
             const ArchiveLoopRunner& loop);

// Refuses a command line with an argument that has no CP932 form.
int RefuseArgument(ConsoleIo& console, const std::string& argument);
