// SPDX-License-Identifier: MIT
// libFuzzer target: any bytes as an archive file, run through qxdec's job
// in one of its modes, chosen by the input's size: test, extract into a
// private folder, or extract and then compare with what was extracted. Build with clang (see the README):
//   cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DQX_FUZZ=ON && cmake --build build-fuzz
//   build-fuzz/qxfuzz-archive -max_len=4096 fuzz/seeds
#include <cstdint>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <string>

#include "FuzzSupport.h"
#include "qxdec/UserDialog.h"
#include "qxdec/ExtractJob.h"

namespace {

// Gives a fixed password and answers from a script (yes when it runs out);
// shows nothing.
class QuietDialog : public UserDialog {
public:
    explicit QuietDialog(std::deque<Answer> answers = {}) : answers_(std::move(answers)) {}
    void ShowMessage(const std::string&) override {}
    void ShowInformation(const std::string&) override {}
    Answer AskQuestion(const std::string&) override {
        if (answers_.empty()) return Answer::Yes;
        const Answer answer = answers_.front();
        answers_.pop_front();
        return answer;
    }
    std::string InputPassword(const std::string&) override { return "pw"; }
    void BeginProgress(int) override {}
    void ShowStatus(const std::string&) override {}
    int SetProgressRange(int) override { return 0; }
    int UpdateProgress(int) override { return 0; }

private:
    std::deque<Answer> answers_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!fuzz::WithinBounds(data, size)) return 0;
    const std::string& folder = fuzz::PrivateFolder();
    const std::string path = folder + "input.qx1";
    if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    const std::string out = folder + "out/";
    const size_t mode = size % 3;
    if (mode == 0) {
        QuietDialog dialog;
        ExtractJob(&dialog, out).Run(path, true);
        return 0;
    }
    std::error_code ignored;
    std::filesystem::remove_all(out, ignored);
    std::filesystem::create_directories(out, ignored);
    {
        QuietDialog dialog;
        ExtractJob(&dialog, out).Run(path, false);
    }
    if (mode == 2) {
        // Existing files: do not overwrite, compare, and go on at every difference.
        QuietDialog dialog({Answer::No, Answer::Yes});
        ExtractJob(&dialog, out).Run(path, false);
    }
    return 0;
}
