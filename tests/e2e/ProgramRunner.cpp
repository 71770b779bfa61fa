// SPDX-License-Identifier: MIT
#include "e2e/ProgramRunner.h"

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "TestSupport.h"
#include "qxdec/Messages.h"
#include "platform/Encoding.h"

namespace test {
namespace {

std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// The elapsed time of a report ("処理時間：0.03 秒") becomes "T.TT".
std::string MaskElapsedTime(const std::string& text) {
    const std::string label = "処理時間：";
    std::string masked;
    size_t from = 0;
    for (size_t at = text.find(label); at != std::string::npos; at = text.find(label, from)) {
        const size_t start = at + label.size();
        const size_t end = text.find(" 秒", start);
        if (end == std::string::npos) break;
        masked.append(text, from, start - from).append("T.TT");
        from = end;
    }
    return masked.append(text, from, std::string::npos);
}

std::string WithoutCarriageReturns(const std::string& text) {
    std::string lines;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        lines += text[i];
    }
    return lines;
}

}  // namespace

const ProgramUnderTest& Qxdec() {
    static const ProgramUnderTest qxdec = [] {
        const char* wine = std::getenv("QX_WINE");
        const char* exe = std::getenv("QX_WINDOWS_QXDEC");
        if (wine && *wine && exe && *exe) return ProgramUnderTest{wine, exe, true};
        return ProgramUnderTest{"", QX_QXDEC_PATH, false};
    }();
    return qxdec;
}

std::string Sep() { return Qxdec().windows ? "\\" : "/"; }

std::string Shown(std::string text) {
    std::string shown;
    for (char c : text) shown += c == '/' ? Sep() : std::string(1, c);
    return shown;
}

ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::filesystem::path& folder, const std::string& input, bool windows,
                         const std::string& environment) {
    const auto inputFile = folder / ".stdin";
    const auto outputFile = folder / ".stdout";
    const auto errorFile = folder / ".stderr";
    {
        std::ofstream in(inputFile, std::ios::binary);
        in << input;
    }
    std::string command = "cd ";
    command += Quote(folder.string()) + " && ";
    command += environment + ' ';
    if (windows) command += Quote(Qxdec().launcher) + ' ';
    command += Quote(program);
    for (const auto& arg : args) command += ' ' + Quote(arg);
    command += " < " + Quote(inputFile.string()) + " > " + Quote(outputFile.string()) + " 2>" + Quote(errorFile.string());
    const int raw = std::system(command.c_str());
    ProgramResult result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    std::ifstream out(outputFile, std::ios::binary);
    std::stringstream text;
    text << out.rdbuf();
    // A Windows program writes CP932 in text mode: CR LF line ends.
    result.output = MaskElapsedTime(windows ? WithoutCarriageReturns(platform::Utf8FromCp932Lossy(text.str())) : text.str());
    std::ifstream errors(errorFile, std::ios::binary);
    std::stringstream errorText;
    errorText << errors.rdbuf();
    result.errors = errorText.str();
    std::filesystem::remove(inputFile);
    std::filesystem::remove(outputFile);
    std::filesystem::remove(errorFile);
    return result;
}

std::string BannerUtf8() {
    return platform::Utf8FromCp932Lossy(Text(Msg::BannerLine1) + Text(Msg::BannerLine2) + Text(Msg::BannerLine3) +
                                        "\n");
}

}  // namespace test
