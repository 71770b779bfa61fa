// SPDX-License-Identifier: MIT
#include "qxdec/ExtractJob.h"
#include "qxdec/Messages.h"
#include "qxdec/HostParts.h"
#include "platform/Files.h"
#include "platform/OutputTree.h"
#include "util/LeadByte.h"
#include "util/PathSeparator.h"

namespace {

// The output path of the first parts + 1 components of name, for the
// folder message.
std::string FolderPrefix(const std::string& outputDir, const std::string& name, size_t parts) {
    size_t i = 0;
    for (size_t seen = 0; i < name.size(); i += IsLeadByte(static_cast<unsigned char>(name[i])) ? 2 : 1) {
        if (name[i] == PathSeparator && seen++ == parts) break;
    }
    return outputDir + name.substr(0, i);
}

// True when a regular file, not a link, stands at path.
bool PlainFileAt(const std::string& path) {
    platform::FileStatus status;
    return platform::LinkStatus(path, status) && status.isRegular && !status.isLink;
}

}  // namespace

bool ExtractJob::WriteEntry(platform::OutputTree& output, int32_t k, const std::string& name,
                            const unsigned char* data) {
    const std::string& outputDir = *this->outputDir;
    // The whole output path, for the messages.
    const auto full = [&] { return outputDir + name; };
    std::string folder;
    std::vector<std::string> parts;
    if (!HostParts(outputDir, name, folder, parts)) {
        dialog->ShowMessage(Compose(Msg::CannotCreateFile, {full()}));
        return false;
    }
    platform::OutputRequest request;
    request.replace = true;  // the user has agreed to replace existing files
    request.createFolder = false;
    request.time = directory->times[k];
    const platform::OutputOutcome outcome =
        output.Write(folder, parts, data, static_cast<size_t>(directory->sizes[k]), request);
    switch (outcome.result) {
        case platform::OutputResult::Written:
            if (!outcome.timeSet) dialog->ShowInformation(Compose(Msg::CannotSetTime, {full()}));
            return true;
        case platform::OutputResult::FolderFailed:
            dialog->ShowMessage(Compose(Msg::CannotMakeFolder, {FolderPrefix(outputDir, name, outcome.failedPart)}));
            return false;
        case platform::OutputResult::WriteFailed:
            dialog->ShowMessage(Compose(Msg::CannotWriteFile, {full()}));
            return false;
        case platform::OutputResult::InTheWay:
            // A plain file where a folder of the path should be exists for
            // the folder walk, so the folder below it is the one that cannot
            // be made; when that is the file's own place, the file cannot be
            // created.
            if (outcome.failedPart + 2 < parts.size() && PlainFileAt(FolderPrefix(outputDir, name, outcome.failedPart))) {
                dialog->ShowMessage(Compose(Msg::CannotMakeFolder, {FolderPrefix(outputDir, name, outcome.failedPart + 1)}));
                return false;
            }
            dialog->ShowMessage(Compose(Msg::CannotCreateFile, {full()}));
            return false;
        default:
            // A link, a folder or a special file in the way, a read-only
            // file: the file cannot be created there.
            dialog->ShowMessage(Compose(Msg::CannotCreateFile, {full()}));
            return false;
    }
}
