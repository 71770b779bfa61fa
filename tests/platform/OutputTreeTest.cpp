// SPDX-License-Identifier: MIT
// One output tree writing a job's files: the folder it keeps open serves
// only the same folder, and every part is still checked when it does.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <thread>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "platform/OutputTree.h"

namespace {

namespace fs = std::filesystem;

TEST(OutputTree, EachFileLandsInItsOwnFolderWhicheverFolderWasKept) {
    test::TempDir dir;
    const std::string first = (dir.Path() / "one").string();
    const std::string second = (dir.Path() / "two").string();
    fs::create_directories(first);
    fs::create_directories(second);
    struct Step {
        const std::string& folder;
        std::vector<std::string> parts;
        platform::OutputResult result;
    };
    const std::vector<Step> steps = {
        {first, {"a", "x"}, platform::OutputResult::Written},
        {first, {"a", "y"}, platform::OutputResult::Written},
        {first, {"a", "../escape"}, platform::OutputResult::InTheWay},
        {first, {"a", "b", "z"}, platform::OutputResult::Written},
        {first, {"top"}, platform::OutputResult::Written},
        {second, {"top"}, platform::OutputResult::Written},
        {second, {"a", "x"}, platform::OutputResult::Written},
        {first, {"b", "x"}, platform::OutputResult::Written},
        {first, {"a", "w"}, platform::OutputResult::Written},
    };
    platform::OutputTree tree;
    platform::OutputRequest request;
    for (size_t i = 0; i < steps.size(); ++i) {
        const Step& step = steps[i];
        const std::string text = "file " + std::to_string(i);
        EXPECT_EQ(tree.Write(step.folder, step.parts, text.data(), text.size(), request).result, step.result) << i;
    }
    for (size_t i = 0; i < steps.size(); ++i) {
        if (steps[i].result != platform::OutputResult::Written) continue;
        fs::path path = steps[i].folder;
        for (const std::string& part : steps[i].parts) path /= part;
        EXPECT_EQ(test::ReadBytes(path), test::Bytes("file " + std::to_string(i))) << path;
    }
    size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(dir.Path())) files += entry.is_regular_file();
    EXPECT_EQ(files, 8u);
}

// A replacement learns what is in the way only after writing its bytes:
// it must still refuse, keep what was there and leave no temporary file.
TEST(OutputTree, ARefusedReplacementLeavesWhatWasThereAndNoTemporaryFile) {
    struct Case {
        const char* what;
        platform::OutputResult result;
    };
    for (const Case& c : {Case{"read-only file", platform::OutputResult::ReadOnly},
                          Case{"link", platform::OutputResult::InTheWay},
                          Case{"folder", platform::OutputResult::InTheWay},
                          Case{"file", platform::OutputResult::Written}}) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        const fs::path target = dir.Path() / "x";
        const std::string what = c.what;
        if (what == "folder") {
            fs::create_directory(target);
        } else if (what == "link") {
            test::WriteBytes(dir.Path() / "elsewhere", test::Bytes("kept"));
            fs::create_symlink(dir.Path() / "elsewhere", target);
        } else {
            test::WriteBytes(target, test::Bytes("old"));
            if (what == "read-only file") fs::permissions(target, fs::perms::owner_read);
        }
        platform::OutputRequest request;
        request.replace = true;
        platform::OutputTree tree;
        EXPECT_EQ(tree.Write(dir.Path().string(), {"x"}, "new", 3, request).result, c.result);
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir.Path())) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        const std::vector<std::string> left =
            what == "link" ? std::vector<std::string>{"elsewhere", "x"} : std::vector<std::string>{"x"};
        EXPECT_EQ(names, left);
        const fs::path holder = what == "link" ? dir.Path() / "elsewhere" : target;
        const char* bytes = what == "link" ? "kept" : what == "file" ? "new" : "old";
        if (what != "folder") {
            EXPECT_EQ(test::ReadBytes(holder), test::Bytes(bytes));
        }
    }
}

// A file that appears while an entry is written is kept when replacing was
// not asked for: the existence check comes first, the move at the end must
// not replace either. Another thread makes the file as soon as the
// temporary file shows; a round in which it comes too late proves nothing
// and is run again.
TEST(OutputTree, AFileThatAppearsWhileWritingIsKeptWithoutReplace) {
    test::TempDir dir;
    const std::vector<uint8_t> data(64 << 20, 'e');
    int raced = 0;
    for (int round = 0; round < 6 && raced < 2; ++round) {
        fs::path target = dir.Path() / "t";
        target += std::to_string(round);
        std::atomic<bool> done{false};
        bool won = false;
        std::thread racer([&] {
            while (!done && !won) {
                for (const auto& entry : fs::directory_iterator(dir.Path())) {
                    if (entry.path().filename().string().rfind(".qx-", 0) != 0) continue;
                    const int fd = open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
                    if (fd >= 0) {
                        won = write(fd, "mine", 4) == 4;
                        close(fd);
                    }
                    return;
                }
            }
        });
        platform::OutputTree tree;
        const platform::OutputResult result =
            tree.Write(dir.Path().string(), {target.filename().string()}, data.data(), data.size(), {}).result;
        done = true;
        racer.join();
        if (!won) continue;
        ++raced;
        EXPECT_EQ(result, platform::OutputResult::SkippedExisting);
        EXPECT_EQ(test::ReadBytes(target), test::Bytes("mine"));
    }
    EXPECT_GT(raced, 0) << "the other thread never came in time";
    for (const auto& entry : fs::directory_iterator(dir.Path())) {
        EXPECT_NE(entry.path().filename().string().rfind(".qx-", 0), 0u) << "a temporary file was left";
    }
}

}  // namespace
