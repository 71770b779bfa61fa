// libFuzzer target: any bytes as an archive file, opened and decoded in test
// mode (nothing is written). Build with clang:
//   cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DQX_FUZZ=ON && cmake --build build-fuzz --target qxfuzz
//   mkdir -p /tmp/qxfuzz && build-fuzz/qxfuzz -max_len=4096 -rss_limit_mb=6000 /tmp/qxfuzz fuzz/seeds
#include <cstdint>
#include <cstdio>
#include <string>

#include "dialog/UserDialog.h"
#include "extract/ExtractJob.h"

namespace {

// Answers every question yes and gives a fixed password; shows nothing.
class QuietDialog : public UserDialog {
public:
    void ShowMessage(const std::string&) override {}
    void ShowInformation(const std::string&) override {}
    int AskQuestion(const std::string&) override { return 0; }
    std::string InputPassword(const std::string&) override { return "pw"; }
    void BeginProgress(int) override {}
    void ShowStatus(const std::string&) override {}
    int SetProgressRange(int) override { return 0; }
    int UpdateProgress(int) override { return 0; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = std::string(P_tmpdir) + "/qxfuzz-input.qx1";
    if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    QuietDialog dialog;
    ExtractJob job(&dialog, std::string(P_tmpdir) + "/qxfuzz-out/");
    job.Run(path, true);
    return 0;
}
