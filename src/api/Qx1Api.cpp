// SPDX-License-Identifier: MIT
// The C functions of qx1.h over the reader. No exception leaves them: a
// failed allocation anywhere becomes QX1_E_NO_MEMORY, anything else that
// nobody expected QX1_E_INTERNAL.

#include <new>

#include "api/EntryFile.h"
#include "api/EntryList.h"
#include "api/ReadResult.h"
#include "archive/FileInputStream.h"
#include "archive/MemoryInputStream.h"
#include "archive/SourceInputStream.h"
#include "platform/Encoding.h"
#include "platform/OutputTree.h"
#include "qx1.h"
#include "reader/ArchiveReader.h"

struct qx1_archive {
    ArchiveReader reader;
    EntryList list;
};

namespace {

// A source that failed to give its bytes makes any result an open failure:
// what was read before it is no archive's.
int Checked(const qx1_archive* a, int result) {
    return result != QX1_OK && a->reader.SourceFailed() ? QX1_E_OPEN : result;
}

template <typename Action>
int Guarded(Action action) {
    try {
        return action();
    } catch (const std::bad_alloc&) {
        return QX1_E_NO_MEMORY;
    } catch (...) {
        return QX1_E_INTERNAL;
    }
}

int OpenStream(std::unique_ptr<ArchiveStream> stream, const char* password, qx1_archive** out) {
    return Guarded([&] {
        std::unique_ptr<qx1_archive> archive(new (std::nothrow) qx1_archive);
        if (!archive) return QX1_E_NO_MEMORY;
        // A password with no Shift-JIS form cannot match any archive's.
        const auto given = [password]() -> std::optional<std::string> {
            if (!password) return std::string();
            std::string cp932;
            if (!platform::Cp932FromUtf8(password, cp932)) return std::nullopt;
            return cp932;
        };
        const int result = Checked(archive.get(), FromReadFault(archive->reader.Open(std::move(stream), given)));
        if (result == QX1_OK) *out = archive.release();
        return result;
    });
}

}  // namespace

extern "C" {

int qx1_open_file(const char* path, const char* password, qx1_archive** out) {
    if (!out) return QX1_E_ARGUMENT;
    *out = nullptr;
    if (!path) return QX1_E_ARGUMENT;
    return Guarded([&] {
        std::FILE* file = platform::OpenUtf8ForReading(path);
        if (!file) return QX1_E_OPEN;
        std::unique_ptr<FileInputStream> stream(new (std::nothrow) FileInputStream(file));
        if (!stream) {
            platform::CloseFile(file);
            return QX1_E_NO_MEMORY;
        }
        return OpenStream(std::move(stream), password, out);
    });
}

int qx1_open_memory(const void* data, size_t size, const char* password, qx1_archive** out) {
    if (!out) return QX1_E_ARGUMENT;
    *out = nullptr;
    if (!data && size > 0) return QX1_E_ARGUMENT;
    return Guarded([&] {
        auto stream = std::make_unique<MemoryInputStream>(static_cast<const unsigned char*>(data), size);
        return OpenStream(std::move(stream), password, out);
    });
}

int qx1_open_source(const qx1_source* source, const char* password, qx1_archive** out) {
    if (!out) return QX1_E_ARGUMENT;
    *out = nullptr;
    if (!source || !source->read_at) return QX1_E_ARGUMENT;
    return Guarded([&] {
        auto stream = std::make_unique<SourceInputStream>(source->read_at, source->user, source->total);
        return OpenStream(std::move(stream), password, out);
    });
}

size_t qx1_entry_count(const qx1_archive* a) { return a ? a->reader.Count() : 0; }

int qx1_list(qx1_archive* a) {
    if (!a) return QX1_E_ARGUMENT;
    return Guarded([&] { return a->list.Make(a->reader); });
}

// The list is made at the first call; the archive stays the same archive.
const qx1_entry* qx1_entry_at(const qx1_archive* a, size_t index) {
    if (!a || index >= a->reader.Count()) return nullptr;
    auto* archive = const_cast<qx1_archive*>(a);
    if (qx1_list(archive) != QX1_OK) return nullptr;
    return &archive->list[index];
}

const char* qx1_entry_problem(const qx1_archive* a, size_t index) {
    if (!a) return nullptr;
    try {
        return NameProblemText(a->reader, index);
    } catch (const std::bad_alloc&) {
        return "not enough memory to check the name";
    }
}

int qx1_entry_data(qx1_archive* a, size_t index, const void** data, size_t* size) {
    if (!a || !data || !size) return QX1_E_ARGUMENT;
    *data = nullptr;
    *size = 0;
    return Guarded([&] {
        const unsigned char* bytes = nullptr;
        if (index >= a->reader.Count()) return QX1_E_NO_ENTRY;
        const int result = Checked(a, FromReadFault(a->reader.EntryData(index, bytes, *size)));
        *data = bytes;
        return result;
    });
}

uint64_t qx1_total_size(const qx1_archive* a) { return a ? a->reader.TotalSize() : 0; }

int qx1_read_entry(qx1_archive* a, size_t index, int (*sink)(void* user, const void* data, size_t size), void* user) {
    if (!a || !sink) return QX1_E_ARGUMENT;
    return Guarded([&] {
        if (index >= a->reader.Count()) return QX1_E_NO_ENTRY;
        const unsigned char* data = nullptr;
        size_t size = 0;
        if (const int result = Checked(a, FromReadFault(a->reader.EntryData(index, data, size))); result != QX1_OK) {
            return result;
        }
        // Pieces of a bounded size, so that a sink may stream them on.
        constexpr size_t kPiece = size_t{1} << 20;
        for (size_t done = 0; done < size; done += kPiece) {
            if (sink(user, data + done, size - done < kPiece ? size - done : kPiece) != 0) return QX1_E_STOPPED;
        }
        return QX1_OK;
    });
}

int qx1_entry_state(qx1_archive* a, size_t index) {
    if (!a) return QX1_E_ARGUMENT;
    return Guarded([&] {
        if (index >= a->reader.Count()) return QX1_E_NO_ENTRY;
        if (a->reader.Directory().sizes[index] == 0) return QX1_OK;
        uint32_t block = 0;
        if (const int located = FromReadFault(a->reader.BlockOf(index, block)); located != QX1_OK) return located;
        switch (a->reader.StateOf(block)) {
            case ArchiveReader::BlockState::Decoded:
                return QX1_OK;
            case ArchiveReader::BlockState::Damaged:
                return QX1_E_DAMAGED;
            case ArchiveReader::BlockState::Lost:
                return QX1_E_LOST;
            default:
                return QX1_UNKNOWN;
        }
    });
}

int qx1_test(qx1_archive* a) {
    if (!a) return QX1_E_ARGUMENT;
    return Guarded([&] { return Checked(a, FromReadFault(a->reader.Test())); });
}

void qx1_set_progress(qx1_archive* a, int (*progress)(void* user, uint64_t done, uint64_t total), void* user) {
    if (!a) return;
    if (!progress) {
        a->reader.SetProgress({});
        return;
    }
    a->reader.SetProgress([progress, user](uint64_t done, uint64_t total) { return progress(user, done, total) == 0; });
}

int qx1_extract_entry(qx1_archive* a, size_t index, const char* dir, const char* path, unsigned flags) {
    if (!a) return QX1_E_ARGUMENT;
    return Guarded([&] {
        if (index >= a->reader.Count()) return QX1_E_NO_ENTRY;
        if (!dir) return QX1_E_ARGUMENT;
        if (const int listed = a->list.Make(a->reader); listed != QX1_OK) return listed;
        return Checked(a, ExtractEntryFile(a->reader, a->list[index], index, dir, path, flags));
    });
}

const char* qx1_strerror(int code) {
    switch (code) {
        case QX1_OK:
            return "success";
        case QX1_E_OPEN:
            return "cannot open or read the file";
        case QX1_E_NOT_ARCHIVE:
            return "not a .qx1 archive";
        case QX1_E_PASSWORD_NEEDED:
            return "the archive is protected by a password, and none was given";
        case QX1_E_WRONG_PASSWORD:
            return "wrong password";
        case QX1_E_DAMAGED:
            return "the archive is damaged or cut short";
        case QX1_E_UNSAFE_NAME:
            return "the name would lead outside the output folder or names no file";
        case QX1_E_NO_MEMORY:
            return "not enough memory";
        case QX1_E_NO_ENTRY:
            return "no such entry";
        case QX1_E_STOPPED:
            return "stopped";
        case QX1_E_ARGUMENT:
            return "invalid argument";
        case QX1_E_WRITE:
            return "cannot create or write the file";
        case QX1_E_IN_THE_WAY:
            return "a symbolic link, folder or special file stands in the way";
        case QX1_E_READ_ONLY:
            return "the existing file is read-only";
        case QX1_E_INTERNAL:
            return "an internal error of the library";
        case QX1_E_LOST:
            return "lost: the entry lies behind damage in the archive";
        case QX1_UNKNOWN:
            return "not decoded yet";
        case QX1_SKIPPED_EXISTING:
            return "skipped: the file exists";
        case QX1_SKIPPED_IDENTICAL:
            return "skipped: the file is identical";
        default:
            return "unknown error";
    }
}

const char* qx1_version(void) { return QX1_VERSION; }

void qx1_close(qx1_archive* a) { delete a; }

}  // extern "C"
