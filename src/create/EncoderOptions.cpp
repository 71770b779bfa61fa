// SPDX-License-Identifier: MIT
#include "create/EncoderOptions.h"

EncoderOptions ParseEncoderOptions(const std::vector<std::string>& args) {
    EncoderOptions o;
    bool optionsEnded = false;
    std::vector<std::string> operands;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (optionsEnded || a.size() < 2 || a[0] != '-') {
            operands.push_back(a);
        } else if (a == "--") {
            optionsEnded = true;
        } else if (a.size() == 2 && a[1] >= '1' && a[1] <= '9') {
            o.level = a[1] - '0';
        } else if (a == "-p") {
            if (i + 1 >= args.size()) {
                o.error = "option -p needs a password";
                return o;
            }
            o.password = args[++i];
        } else if (a.rfind("-p", 0) == 0 && a[1] == 'p') {
            o.password = a.substr(2);
        } else if (a == "--ask-password") {
            o.askPassword = true;
        } else if (a == "--tables=256" || a == "--tables=512") {
            o.largeTables = a.back() == '2';
        } else if (a == "--every") {
            o.insertEveryPosition = true;
        } else if (a == "--no-every") {
            o.insertEveryPosition = false;
        } else if (a == "--sfx") {
            o.sfxProgram = "";
        } else if (a.rfind("--sfx=", 0) == 0 && a.size() > 6) {
            o.sfxProgram = a.substr(6);
        } else if (a.rfind("--threads=", 0) == 0) {
            const std::string count = a.substr(10);
            if (count.empty() || count.size() > 3 || count.find_first_not_of("0123456789") != std::string::npos ||
                std::stoi(count) < 1) {
                o.error = "option --threads needs a number from 1 to 999";
                return o;
            }
            o.threads = std::stoi(count);
        } else if (a == "--keep-order") {
            o.keepOrder = true;
        } else if (a == "-q" || a == "--quiet") {
            o.quiet = true;
        } else if (a == "-h" || a == "--help") {
            o.help = true;
        } else if (a == "--version") {
            o.version = true;
        } else {
            o.error = "unknown option " + a;
            return o;
        }
    }
    if (o.help || o.version) return o;
    if (o.password && o.password->empty()) {
        o.error = "the password must not be empty";
    } else if (operands.size() < 2) {
        o.error = operands.empty() ? "no archive named" : "no file or folder to add";
    } else {
        o.archive = operands[0];
        o.paths.assign(operands.begin() + 1, operands.end());
    }
    return o;
}

std::string EncoderUsage(const std::string& program) {
    return "usage: " + program + " [options] ARCHIVE.qx1 PATH...\n"
           "  Stores the files and folders (recursively) in a new .qx1 archive.\n"
           "  -1 ... -9         compression level: fastest ... smallest (default -5)\n"
           "  -p PASSWORD       protect the archive with a password\n"
           "  --ask-password    type the password at a masked prompt\n"
           "  --tables=256|512  table slots per context (default 512)\n"
           "  --every           file every position of a match (default)\n"
           "  --no-every        file only where each step begins\n"
           "  --sfx[=QXDEC]     write a self-extracting program (by default the qxdec beside this program)\n"
           "  --keep-order      store the files in the order given (default: the order that compresses best)\n"
           "  --threads=N       compress on N threads (default: as many as the host runs; the output is the same)\n"
           "  -q, --quiet       no progress display\n"
           "  -h, --help        this text\n"
           "  --version         the version\n";
}
