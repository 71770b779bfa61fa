// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "codec/InputStream.h"
#include "create/ArchiveWriter.h"
#include "platform/ConsoleIo.h"
#include "qxdec/UserDialog.h"
#include "qx1.h"

namespace test {

// UTF-8 source text in CP932, for names and expected texts.
std::string Sjis(const std::string& utf8);

// A fresh folder under the system's temporary folder, removed at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::filesystem::path& Path() const { return path_; }
    // The folder as an internal (CP932) path ending in the separator.
    std::string Internal() const;

private:
    std::filesystem::path path_;
};

void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadBytes(const std::filesystem::path& path);
std::vector<uint8_t> Bytes(const std::string& text);

// Deterministic pseudo-random bytes.
std::vector<uint8_t> RandomBytes(size_t size, uint32_t seed, int alphabet = 256);

// A byte source over memory that hands out at most chunk bytes per read.
class MemoryStream : public InputStream {
public:
    explicit MemoryStream(std::vector<uint8_t> bytes, int32_t chunk = 1 << 30)
        : bytes_(std::move(bytes)), chunk_(chunk) {}
    int32_t Read(unsigned char* buffer, int32_t count) override;
    int reads = 0;

private:
    std::vector<uint8_t> bytes_;
    size_t pos_ = 0;
    int32_t chunk_;
};

// A console that records what is written and plays back keys and lines.
class ScriptedConsole : public ConsoleIo {
public:
    void Write(std::string_view text) override { output += text; }
    void Flush() override { output += "<flush>"; }
    int ReadKey() override;
    void DiscardLine() override { ++discards; }
    void EndKeys() override { ++keyRunsEnded; }
    bool ReadLine(std::string& line, size_t limit) override;

    std::string output;
    std::deque<int> keys;
    std::deque<std::string> lines;
    int discards = 0;
    int keyRunsEnded = 0;
};

// A dialogue that records every call as one line and answers from a script.
class RecordingDialog : public UserDialog {
public:
    void ShowMessage(const std::string& text) override { calls.push_back("ShowMessage " + text); }
    void ShowInformation(const std::string& text) override { calls.push_back("ShowInformation " + text); }
    Answer AskQuestion(const std::string& text) override;
    std::string InputPassword(const std::string& prompt) override;
    void BeginProgress(int value) override { calls.push_back("BeginProgress " + std::to_string(value)); }
    void ShowStatus(const std::string& text) override { calls.push_back("ShowStatus " + text); }
    int SetProgressRange(int range) override;
    int UpdateProgress(int percent) override;

    std::vector<std::string> calls;
    std::deque<Answer> answers;  // yes when empty
    std::string password;
    int cancelAt = -1;        // UpdateProgress call number that asks to cancel
    int updates = 0;
};

// Reads entry index of an archive through the C API into data; a QX1_ code.
int ReadEntry(qx1_archive* archive, size_t index, std::vector<uint8_t>& data);

// Writes an archive of the given entries to path.
void WriteArchive(const std::filesystem::path& path, const std::vector<ArchiveEntry>& entries,
                  const ArchiveOptions& options = {});

}  // namespace test
