#include "archive/ArchiveHeader.h"
#include "archive/PasswordKey.h"
#include "archive/StoredName.h"
#include "qxdec/Messages.h"
#include "qxdec/ExtractJob.h"
#include "util/FormatThousands.h"
#include "util/PathSeparator.h"

int ExtractJob::OpenArchive(const std::string& path) {
    stream = std::make_unique<FileInputStream>(path);
    if (!stream->file.Get()) return Fail(Compose(Msg::CannotOpen, {path}));
    ArchiveHeader header;
    switch (FindArchiveHeader(*stream, header)) {
        case HeaderSearch::ShortFile:
            return Fail(Compose(Msg::CannotRead, {path}));
        case HeaderSearch::NotAnArchive:
            return Fail(Compose(Msg::NotAnArchive, {path}));
        case HeaderSearch::Found:
            break;
    }
    totalSize = header.totalSize;
    directorySize = header.directorySize;
    entryCount = header.entryCount;
    dataSize = static_cast<int32_t>(static_cast<uint32_t>(totalSize) - static_cast<uint32_t>(directorySize));

    if (header.flags & ArchiveHeader::kPassword) {
        const std::string password = dialog->InputPassword(Text(Msg::PasswordPrompt));
        if (password.empty()) {
            failed = true;
            dialog->ShowInformation(Text(Msg::PasswordMissing));
            return -1;
        }
        if (!ApplyPassword(password, header.passwordCheck, stream->key)) {
            failed = true;
            dialog->ShowInformation(Text(Msg::PasswordWrong));
            return -1;
        }
    }

    directory = nullptr;
    switch (LoadDirectory(header, stream.get(), loaded)) {
        case LoadResult::Loaded:
            break;
        case LoadResult::Damaged:
            return Fail(Text(Msg::DirectoryDamaged));
        case LoadResult::NoMemory:
            return Fail(Compose(Msg::NoMemory, {FormatThousands(loaded.bytesWanted)}));
        case LoadResult::BeyondArea:
            return Fail(Text(Msg::BeyondAreaExtract));
        case LoadResult::NoSuchData:
            return Fail(Text(Msg::NoSuchDataExtract));
    }
    directory = loaded.directory.get();
    // A name that would lead outside the output folder, or that the host
    // cannot hold, refuses the whole archive before anything is written.
    for (int32_t i = 0; i < directory->count; ++i) {
        const std::string& name = directory->names[i];
        switch (CheckStoredName(name, PathSeparator, PathSeparator == '\\')) {
            case NameFault::None:
                continue;
            case NameFault::Empty:
                return Fail(Text(Msg::NameEmpty));
            case NameFault::Drive:
                return Fail(Compose(Msg::NameDrive, {name}));
            case NameFault::Colon:
                return Fail(Compose(Msg::NameColon, {name}));
            case NameFault::DeviceName:
                return Fail(Compose(Msg::NameDevice, {name}));
            case NameFault::TrailingDotOrSpace:
                return Fail(Compose(Msg::NameTrailingDotOrSpace, {name}));
            case NameFault::TooLong:
                return Fail(Compose(Msg::NameTooLong, {name}));
            case NameFault::Absolute:
            case NameFault::ParentFolder:
                return Fail(Compose(Msg::UnsafeName, {name}));
        }
    }
    return 0;
}
