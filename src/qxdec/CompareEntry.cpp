// SPDX-License-Identifier: MIT
#include <cstdio>
#include <cstring>

#include "qxdec/ExtractJob.h"
#include "qxdec/Messages.h"
#include "qxdec/HostParts.h"
#include "platform/OutputTree.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "util/BufferHolder.h"
#include "platform/FileHolder.h"
#include "util/FormatThousands.h"

namespace {

// A date as the question shows it; a time that cannot be rendered is shown
// as its number of seconds.
std::string DateText(int64_t time) {
    std::string text;
    if (platform::LocalTimeText(time, text)) return text;
    return std::to_string(time) + "\n";
}

// A difference is told and asked about: going on, or stopping there.
ExtractJob::Comparison Asked(UserDialog& dialog, const std::string& text) {
    return dialog.AskQuestion(text) == Answer::Yes ? ExtractJob::Comparison::Differs : ExtractJob::Comparison::Stopped;
}

}  // namespace

ExtractJob::Comparison ExtractJob::CompareEntry(int32_t k, const std::string& name, const unsigned char* data) {
    const std::string& outputDir = *this->outputDir;
    const int32_t* sizes = directory->sizes;
    const int32_t* times = directory->times;
    const std::string full = outputDir + name;
    // The file is opened without following any link below the output
    // folder; something there that cannot be opened as a file is a failure.
    std::string folder;
    std::vector<std::string> parts;
    platform::FileStatus status;
    bool present = false;
    FileHolder file(HostParts(outputDir, name, folder, parts)
                        ? platform::OpenFileBelow(folder, parts, status, present)
                        : nullptr);
    if (!file.Get() && !present) return Asked(*dialog, Compose(Msg::CompareMissing, {full}));
    if (!file.Get()) {
        dialog->ShowMessage(Compose(Msg::CannotOpen, {full}));
        return Comparison::Failed;
    }
    if (status.size != sizes[k]) {
        return Asked(*dialog, Compose(Msg::CompareSize, {full, FormatThousands(status.size), FormatThousands(sizes[k])}));
    }
    const auto fileTime = static_cast<uint32_t>(status.modified);
    const auto entryTime = static_cast<uint32_t>(times[k]);
    if (((fileTime ^ entryTime) & ~1u) != 0) {
        return Asked(*dialog, Compose(Msg::CompareDate, {full, DateText(status.modified), DateText(times[k])}));
    }
    if (status.size <= 0) return Comparison::Equal;

    const auto size = static_cast<size_t>(status.size);
    BufferHolder buffer;
    if (!buffer.Allocate(size)) {
        dialog->ShowMessage(Compose(Msg::CompareNoMemory, {FormatThousands(status.size)}));
        return Comparison::Failed;
    }
    const size_t read = platform::ReadFile(file.Get(), buffer.Get(), size);
    file.Release();
    if (read != size) {
        dialog->ShowMessage(Compose(Msg::CannotRead, {full}));
        return Comparison::Failed;
    }
    if (std::memcmp(buffer.Get(), data, size) == 0) return Comparison::Equal;
    size_t i = 0;
    while (buffer.Get()[i] == data[i]) ++i;
    char bytes[32];
    std::snprintf(bytes, sizeof bytes, "[0x%02X] [0x%02X]", data[i], buffer.Get()[i]);
    return Asked(*dialog, Compose(Msg::CompareContent, {full, FormatThousands(static_cast<int64_t>(i)), bytes}));
}
