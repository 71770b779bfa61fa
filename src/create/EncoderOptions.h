// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <vector>

// The command line of qxenc: qxenc [options] ARCHIVE.qx1 PATH...
struct EncoderOptions {
    int level = 5;                      // -1 (fastest) to -9 (smallest)
    std::optional<std::string> password;
    bool askPassword = false;           // --ask-password: typed at a masked prompt
    bool largeTables = true;            // --tables=512 (default) or --tables=256
    bool insertEveryPosition = true;    // --every (default) or --no-every
    std::optional<std::string> sfxProgram;  // --sfx[=QXDEC]: "" means the qxdec beside qxenc
    int threads = 0;                    // --threads=N: parse on N threads; 0: as many as the host runs
    bool keepOrder = false;             // --keep-order: store in the order given, not the order that packs best
    bool quiet = false;
    bool help = false;
    bool version = false;
    std::string archive;
    std::vector<std::string> paths;

    std::string error;  // set when the command line cannot be used
};

EncoderOptions ParseEncoderOptions(const std::vector<std::string>& args);

// The usage text, for the program name that runs the encoder ("qxenc" or
// "qx create").
std::string EncoderUsage(const std::string& program);
