// SPDX-License-Identifier: MIT
#include "TestSupport.h"

#include <fstream>
#include <random>

#include <gtest/gtest.h>

#include "platform/Encoding.h"
#include "qx1.h"

namespace test {

std::string Sjis(const std::string& utf8) {
    std::string cp932;
    EXPECT_TRUE(platform::Cp932FromUtf8(utf8, cp932)) << utf8;
    return cp932;
}

TempDir::TempDir() {
    static int counter = 0;
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    static const unsigned run = std::random_device{}();
    std::string name = "qxtest-" + std::to_string(run) + "-" + std::to_string(counter++);
    if (info) name += std::string("-") + info->name();
    for (char& c : name) {
        if (c == '/') c = '_';
    }
    path_ = std::filesystem::temp_directory_path() / name;
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::Internal() const { return Sjis(path_.string()) + "/"; }

void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

std::vector<uint8_t> RandomBytes(size_t size, uint32_t seed, int alphabet) {
    std::mt19937 random(seed);
    std::vector<uint8_t> bytes(size);
    for (auto& b : bytes) b = static_cast<uint8_t>(random() % static_cast<uint32_t>(alphabet));
    return bytes;
}

int32_t MemoryStream::Read(unsigned char* buffer, int32_t count) {
    ++reads;
    const size_t n = std::min({static_cast<size_t>(count), static_cast<size_t>(chunk_), bytes_.size() - pos_});
    std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(pos_), n, buffer);
    pos_ += n;
    return static_cast<int32_t>(n);
}

int ReadEntry(qx1_archive* archive, size_t index, std::vector<uint8_t>& data) {
    data.clear();
    return qx1_read_entry(
        archive, index,
        [](void* user, const void* piece, size_t size) {
            auto* out = static_cast<std::vector<uint8_t>*>(user);
            out->insert(out->end(), static_cast<const uint8_t*>(piece), static_cast<const uint8_t*>(piece) + size);
            return 0;
        },
        &data);
}

int ScriptedConsole::ReadKey() {
    if (keys.empty()) return -1;
    const int key = keys.front();
    keys.pop_front();
    return key;
}

bool ScriptedConsole::ReadLine(std::string& line, size_t limit) {
    if (lines.empty()) return false;
    line = lines.front().substr(0, limit);
    lines.pop_front();
    return true;
}

Answer RecordingDialog::AskQuestion(const std::string& text) {
    calls.push_back("AskQuestion " + text);
    if (answers.empty()) return Answer::Yes;
    const Answer answer = answers.front();
    answers.pop_front();
    return answer;
}

std::string RecordingDialog::InputPassword(const std::string& prompt) {
    calls.push_back("InputPassword " + prompt);
    return password;
}

int RecordingDialog::SetProgressRange(int range) {
    calls.push_back("SetProgressRange " + std::to_string(range));
    return 0;
}

int RecordingDialog::UpdateProgress(int percent) {
    calls.push_back("UpdateProgress " + std::to_string(percent));
    return updates++ == cancelAt ? 1 : 0;
}

void WriteArchive(const std::filesystem::path& path, const std::vector<ArchiveEntry>& entries,
                  const ArchiveOptions& options) {
    const std::vector<uint8_t> archive = BuildArchive(entries, options);
    ASSERT_FALSE(archive.empty());
    WriteBytes(path, archive);
}

}  // namespace test
