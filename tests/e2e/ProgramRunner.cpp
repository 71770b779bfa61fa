#include "e2e/ProgramRunner.h"

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <regex>
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

}  // namespace

ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::filesystem::path& folder, const std::string& input) {
    const auto inputFile = folder / ".stdin";
    const auto outputFile = folder / ".stdout";
    {
        std::ofstream in(inputFile, std::ios::binary);
        in << input;
    }
    std::string command = "cd " + Quote(folder.string()) + " && " + Quote(program);
    for (const auto& arg : args) command += " " + Quote(arg);
    command += " < " + Quote(inputFile.string()) + " > " + Quote(outputFile.string()) + " 2>&1";
    const int raw = std::system(command.c_str());
    ProgramResult result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    std::ifstream out(outputFile, std::ios::binary);
    std::stringstream text;
    text << out.rdbuf();
    result.output = std::regex_replace(text.str(), std::regex("処理時間：[0-9]+\\.[0-9]{2} 秒"), "処理時間：T.TT 秒");
    std::filesystem::remove(inputFile);
    std::filesystem::remove(outputFile);
    return result;
}

std::string BannerUtf8() {
    return platform::Utf8FromCp932Lossy(Text(Msg::BannerLine1) + Text(Msg::BannerLine2) + Text(Msg::BannerLine3) +
                                        "\n");
}

}  // namespace test
