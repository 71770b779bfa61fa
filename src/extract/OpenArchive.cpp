#include "archive/ArchiveHeader.h"
#include "archive/PasswordKey.h"
#include "archive/StoredName.h"
#include "dialog/Messages.h"
#include "extract/ExtractJob.h"
#include "util/FormatThousands.h"
#include "util/PathSeparator.h"

int ExtractJob::OpenArchive(const std::string& path) {
    stream = std::make_unique<FileInputStream>(path);
    if (!stream->file.Get()) return Fail(Compose(Msg::CannotOpen, {path}));
    ArchiveHeader header;
    switch (FindArchiveHeader(stream->file.Get(), header)) {
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
        const PasswordKey derived = DerivePasswordKey(password);
        for (int i = 0; i < 4; ++i) stream->key[i] = static_cast<unsigned char>(derived.key >> (24 - 8 * i));
        if (derived.check != header.passwordCheck) {
            failed = true;
            dialog->ShowInformation(Text(Msg::PasswordWrong));
            return -1;
        }
    }

    if (directorySize < 0 || entryCount < 0) return Fail(Text(Msg::DirectoryDamaged));
    directoryBuffer = std::make_unique<BufferHolder>();
    if (!directoryBuffer->Allocate(static_cast<size_t>(directorySize))) {
        return Fail(Compose(Msg::NoMemory, {FormatThousands(directorySize)}));
    }
    engine.reset();
    engine = std::make_unique<ExpansionEngine>(stream.get(), (header.flags & ArchiveHeader::kInsertEveryPosition) != 0,
                                               (header.flags & ArchiveHeader::kLargeTables) != 0);
    if (!engine->Allocated()) return Fail(Compose(Msg::NoMemory, {FormatThousands(engine->TableBytes())}));
    engine->Reset(directoryBuffer->Get(), directorySize);
    const int expanded = engine->Expand(directorySize);
    if (expanded != ExpansionEngine::kDone) {
        return Fail(Text(expanded == ExpansionEngine::kBeyondArea ? Msg::BeyondAreaExtract : Msg::NoSuchDataExtract));
    }

    directory = std::make_unique<ArchiveDirectory>(dialog);
    if (!directory->Build(directoryBuffer->Get(), directorySize, entryCount)) return Fail(Text(Msg::DirectoryDamaged));
    // A name that would lead outside the output folder refuses the whole
    // archive before anything is written.
    for (int32_t i = 0; i < directory->count; ++i) {
        if (!IsSafeName(directory->names[i], PathSeparator)) {
            return Fail(Compose(Msg::UnsafeName, {directory->names[i]}));
        }
    }
    return 0;
}
