#include "archive/ArchiveDirectory.h"
#include "dialog/Messages.h"
#include "extract/OutputFile.h"
#include "platform/Files.h"
#include "util/LeadByte.h"
#include "util/PathParts.h"
#include "util/PathSeparator.h"

int ArchiveDirectory::WriteEntry(const std::string& outputDir, int32_t k, const unsigned char* data) {
    const PathParts output(outputDir + names[k]);
    const std::string& folder = output.directory;
    platform::FileStatus status;
    if (!folder.empty() && !platform::Stat(folder, status)) {
        // Create the missing folders from the outermost inwards, starting
        // behind the output directory itself.
        for (size_t p = outputDir.size(); p < folder.size();) {
            const auto byte = static_cast<unsigned char>(folder[p]);
            if (byte == static_cast<unsigned char>(PathSeparator)) {
                const std::string prefix = folder.substr(0, p);
                if (!platform::Stat(prefix, status) && !platform::MakeDirectory(prefix)) {
                    dialog->ShowMessage(Compose(Msg::CannotMakeFolder, {prefix}));
                    return -1;
                }
            }
            p += IsLeadByte(byte) ? 2 : 1;
        }
    }
    OutputFile file;
    if (!file.Open(output.full)) {
        dialog->ShowMessage(Compose(Msg::CannotCreateFile, {output.full}));
        return -1;
    }
    const auto size = static_cast<size_t>(sizes[k]);
    if (file.Write(data, size) != size) {
        dialog->ShowMessage(Compose(Msg::CannotWriteFile, {output.full}));
        return -1;  // the open file is removed as it goes out of scope
    }
    file.Close();
    if (!platform::SetFileTime(output.full, times[k])) {
        dialog->ShowInformation(Compose(Msg::CannotSetTime, {output.full}));
    }
    return 0;
}
