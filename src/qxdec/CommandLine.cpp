// SPDX-License-Identifier: MIT
#include "qxdec/CommandLine.h"

#include "util/LeadByte.h"
#include "util/PathSeparator.h"

CommandLine ParseOptions(const std::vector<std::string>& args, const AskFolder& askFolder) {
    CommandLine line;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.empty() || arg[0] != '-') continue;
        const char option = arg.size() > 1 ? arg[1] : '\0';
        const std::string tail = arg.size() > 2 ? arg.substr(2) : std::string();
        if (option == 'd' && tail.empty()) {
            if (auto answer = askFolder(); answer && !answer->empty()) line.outputDir = *answer;
        } else if (option == 'd') {
            line.outputDir = tail;
        } else if (option == 'p' && !tail.empty()) {
            line.presetPassword = tail;
        } else if (option == 'y') {
            line.answerAllYes = true;
        } else if (option == 't') {
            line.testFlag = true;
        } else {
            line.illegalOption = arg;
            return line;
        }
    }
    if (line.outputDir) line.outputDir = CompleteFolder(*line.outputDir);
    return line;
}

std::string CompleteFolder(const std::string& folder) {
    // The last character, under the lead-byte rule: the 0x5C that ends 表
    // is no separator.
    bool endsInSeparator = false;
    for (size_t i = 0; i < folder.size(); i += IsLeadByte(static_cast<unsigned char>(folder[i])) ? 2 : 1) {
        endsInSeparator = folder[i] == PathSeparator;
    }
    return endsInSeparator ? folder : folder + PathSeparator;
}
