#include <cstdio>
#include <cstring>

#include "archive/ArchiveDirectory.h"
#include "dialog/Messages.h"
#include "extract/HostParts.h"
#include "platform/OutputTree.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "util/BufferHolder.h"
#include "util/FileHolder.h"
#include "util/FormatThousands.h"

namespace {

// A date as the question shows it; a time that cannot be rendered is shown
// as its number of seconds.
std::string DateText(int64_t time) {
    std::string text;
    if (platform::LocalTimeText(time, text)) return text;
    return std::to_string(time) + "\n";
}

}  // namespace

int ArchiveDirectory::CompareEntry(const std::string& outputDir, int32_t k, const unsigned char* data) {
    const std::string name = names[k];
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
    if (!file.Get() && !present) return dialog->AskQuestion(Compose(Msg::CompareMissing, {full}));
    if (!file.Get()) {
        compareFailed = true;
        dialog->ShowMessage(Compose(Msg::CannotOpen, {full}));
        return 1;
    }
    if (status.size != sizes[k]) {
        return dialog->AskQuestion(
            Compose(Msg::CompareSize, {full, FormatThousands(status.size), FormatThousands(sizes[k])}));
    }
    const auto fileTime = static_cast<uint32_t>(status.modified);
    const auto entryTime = static_cast<uint32_t>(times[k]);
    if (((fileTime ^ entryTime) & ~1u) != 0) {
        return dialog->AskQuestion(
            Compose(Msg::CompareDate, {full, DateText(status.modified), DateText(times[k])}));
    }
    if (status.size <= 0) return -1;

    const auto size = static_cast<size_t>(status.size);
    BufferHolder buffer;
    if (!buffer.Allocate(size)) {
        compareFailed = true;
        dialog->ShowMessage(Compose(Msg::CompareNoMemory, {FormatThousands(status.size)}));
        return 1;
    }
    const size_t read = platform::ReadFile(file.Get(), buffer.Get(), size);
    file.Release();
    if (read != size) {
        compareFailed = true;
        dialog->ShowMessage(Compose(Msg::CannotRead, {full}));
        return 1;
    }
    if (std::memcmp(buffer.Get(), data, size) == 0) return -1;
    size_t i = 0;
    while (buffer.Get()[i] == data[i]) ++i;
    char bytes[32];
    std::snprintf(bytes, sizeof bytes, "[0x%02X] [0x%02X]", data[i], buffer.Get()[i]);
    return dialog->AskQuestion(Compose(Msg::CompareContent, {full, FormatThousands(static_cast<int64_t>(i)), bytes}));
}
