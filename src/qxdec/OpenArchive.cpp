// SPDX-License-Identifier: MIT
#include "archive/StoredName.h"
#include "qxdec/ExtractJob.h"
#include "qxdec/Messages.h"
#include "reader/OpenSequence.h"
#include "util/FormatThousands.h"
#include "util/PathSeparator.h"

bool ExtractJob::OpenArchive(const std::string& path) {
    const auto refuse = [this](const std::string& text) {
        Fail(text);
        return false;
    };
    stream = std::make_unique<FileInputStream>(path);
    if (!stream->file.Get()) return refuse(Compose(Msg::CannotOpen, {path}));
    const auto password = [this]() -> std::optional<std::string> {
        return dialog->InputPassword(Text(Msg::PasswordPrompt));
    };
    switch (OpenArchiveStream(*stream, password, opened)) {
        case ReadFault::None:
            break;
        case ReadFault::ShortFile:
            return refuse(Compose(Msg::CannotRead, {path}));
        case ReadFault::NotAnArchive:
            return refuse(Compose(Msg::NotAnArchive, {path}));
        case ReadFault::PasswordNeeded:
            failed = true;
            dialog->ShowInformation(Text(Msg::PasswordMissing));
            return false;
        case ReadFault::WrongPassword:
            failed = true;
            dialog->ShowInformation(Text(Msg::PasswordWrong));
            return false;
        case ReadFault::NoMemory:
            return refuse(Compose(Msg::NoMemory, {FormatThousands(opened.loaded.bytesWanted)}));
        case ReadFault::BeyondArea:
            return refuse(Text(Msg::BeyondAreaExtract));
        case ReadFault::NoSuchData:
            return refuse(Text(Msg::NoSuchDataExtract));
        default:
            return refuse(Text(Msg::DirectoryDamaged));
    }
    const ArchiveHeader& header = opened.header;
    totalSize = header.totalSize;
    entryCount = header.entryCount;
    dataSize = static_cast<int32_t>(static_cast<uint32_t>(totalSize) - static_cast<uint32_t>(header.directorySize));
    directory = opened.loaded.directory.get();
    // A name that would lead outside the output folder, or that the host
    // cannot hold, refuses the whole archive before anything is written.
    for (int32_t i = 0; i < directory->count; ++i) {
        const std::string& name = directory->names[i];
        switch (CheckStoredName(name, PathSeparator, PathSeparator == '\\')) {
            case NameFault::None:
                continue;
            case NameFault::Empty:
                return refuse(Text(Msg::NameEmpty));
            case NameFault::Drive:
                return refuse(Compose(Msg::NameDrive, {name}));
            case NameFault::Colon:
                return refuse(Compose(Msg::NameColon, {name}));
            case NameFault::DeviceName:
                return refuse(Compose(Msg::NameDevice, {name}));
            case NameFault::TrailingDotOrSpace:
                return refuse(Compose(Msg::NameTrailingDotOrSpace, {name}));
            case NameFault::TooLong:
                return refuse(Compose(Msg::NameTooLong, {name}));
            case NameFault::Absolute:
            case NameFault::ParentFolder:
            case NameFault::NoFileName:
                return refuse(Compose(Msg::UnsafeName, {name}));
        }
    }
    return true;
}
