#include "e2e/ProgramRunner.h"

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "TestSupport.h"
#include "dialog/Messages.h"
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

}  // namespace

ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::filesystem::path& folder, const std::string& input) {
    const auto inputFile = folder / ".stdin";
    const auto outputFile = folder / ".stdout";
    {
        std::ofstream in(inputFile, std::ios::binary);
        in << input;
    }
    std::string command = "cd ";
    command += Quote(folder.string()) + " && " + Quote(program);
    for (const auto& arg : args) command += ' ' + Quote(arg);
    command += " < " + Quote(inputFile.string()) + " > " + Quote(outputFile.string()) + " 2>&1";
    const int raw = std::system(command.c_str());
    ProgramResult result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    std::ifstream out(outputFile, std::ios::binary);
    std::stringstream text;
    text << out.rdbuf();
    result.output = MaskElapsedTime(text.str());
    std::filesystem::remove(inputFile);
    std::filesystem::remove(outputFile);
    return result;
}

std::string BannerUtf8() {
    return platform::Utf8FromCp932Lossy(Text(Msg::BannerLine1) + Text(Msg::BannerLine2) + Text(Msg::BannerLine3) +
                                        "\n");
}

}  // namespace test
