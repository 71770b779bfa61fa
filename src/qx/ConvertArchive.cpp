// SPDX-License-Identifier: MIT
#include "qx/ConvertArchive.h"

#include <archive.h>
#include <archive_entry.h>

#include <clocale>
#include <memory>

#include "qx/QxArchive.h"

namespace {

struct ArchiveFree {
    void operator()(archive* a) const { archive_write_free(a); }
};
struct EntryFree {
    void operator()(archive_entry* e) const { archive_entry_free(e); }
};

using Writer = std::function<bool(const void*, size_t)>;

la_ssize_t WriteCallback(archive*, void* user, const void* data, size_t size) {
    return (*static_cast<const Writer*>(user))(data, size) ? static_cast<la_ssize_t>(size) : -1;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

int SetFormat(archive* a, ConvertFormat format) {
    if (format == ConvertFormat::Zip) {
        // A zip ends where its data end: no padding to a block.
        if (archive_write_set_format_zip(a) != ARCHIVE_OK || archive_write_set_bytes_in_last_block(a, 1) != ARCHIVE_OK) {
            return ARCHIVE_FATAL;
        }
        // Names are UTF-8 and flagged so.
        return archive_write_set_options(a, "zip:hdrcharset=UTF-8");
    }
    // pax where needed (UTF-8 names, long names), plain ustar otherwise. A
    // compressed stream is not padded to a whole block behind its end.
    if (archive_write_set_format_pax_restricted(a) != ARCHIVE_OK) return ARCHIVE_FATAL;
    if (format != ConvertFormat::Tar && archive_write_set_bytes_in_last_block(a, 1) != ARCHIVE_OK) return ARCHIVE_FATAL;
    switch (format) {
        case ConvertFormat::TarGzip:
            return archive_write_add_filter_gzip(a);
        case ConvertFormat::TarXz:
            return archive_write_add_filter_xz(a);
        case ConvertFormat::TarZstd:
            return archive_write_add_filter_zstd(a);
        default:
            return archive_write_add_filter_none(a);
    }
}

}  // namespace

bool ConvertFormatOf(const std::string& text, bool byExtension, ConvertFormat& format) {
    const std::pair<const char*, ConvertFormat> kinds[] = {
        {"tar.gz", ConvertFormat::TarGzip}, {"tgz", ConvertFormat::TarGzip}, {"tar.xz", ConvertFormat::TarXz},
        {"tar.zst", ConvertFormat::TarZstd}, {"tar", ConvertFormat::Tar},   {"zip", ConvertFormat::Zip},
    };
    for (const auto& [name, kind] : kinds) {
        if (byExtension ? EndsWith(text, std::string(".") + name) : text == name) {
            format = kind;
            return true;
        }
    }
    return false;
}

int ConvertArchive(qx1_archive* source, ConvertFormat format, const Writer& write, std::string& error,
                   ConvertOptions& options) {
    // A name that extract refuses would reach whoever unpacks the output:
    // the archive is refused before anything is written.
    if (const int listed = qx1_list(source); listed != QX1_OK) {
        error = qx1_strerror(listed);
        return listed;
    }
    for (size_t i = 0; i < qx1_entry_count(source); ++i) {
        if (options.take && !options.take(*qx1_entry_at(source, i))) continue;
        if (qx1_entry_at(source, i)->flags & QX1_ENTRY_UNSAFE) {
            error = std::string("\"") + qx1_entry_at(source, i)->name + "\": " + qx1_entry_problem(source, i);
            return QX1_E_UNSAFE_NAME;
        }
    }
    // libarchive turns the UTF-8 names into the locale's encoding for tar
    // headers; in the "C" locale it would find no form for them.
    if (!std::setlocale(LC_CTYPE, "C.UTF-8")) std::setlocale(LC_CTYPE, "");
    std::unique_ptr<archive, ArchiveFree> out(archive_write_new());
    std::unique_ptr<archive_entry, EntryFree> entry(archive_entry_new());
    if (!out || !entry) return QX1_E_NO_MEMORY;
    // Whole blocks of 10240 bytes for tar, as tar itself writes.
    if (SetFormat(out.get(), format) != ARCHIVE_OK ||
        archive_write_open2(out.get(), const_cast<Writer*>(&write), nullptr, WriteCallback, nullptr, nullptr) !=
            ARCHIVE_OK) {
        error = archive_error_string(out.get()) ? archive_error_string(out.get()) : "cannot start the output";
        return QX1_E_WRITE;
    }
    for (size_t i = 0; i < qx1_entry_count(source); ++i) {
        const qx1_entry& item = *qx1_entry_at(source, i);
        if (options.take && !options.take(item)) continue;
        // Decoded first: an entry that cannot be decoded leaves no header.
        const void* data = nullptr;
        size_t size = 0;
        const int result = EntryFailure(source, i, qx1_entry_data(source, i, &data, &size));
        if (result != QX1_OK) {
            if (options.partial) {
                options.left.push_back({i, result});
                continue;
            }
            error = std::string(item.name) + ": " + qx1_strerror(result);
            return result;
        }
        archive_entry_clear(entry.get());
        archive_entry_set_pathname_utf8(entry.get(), item.name);
        archive_entry_set_filetype(entry.get(), AE_IFREG);
        archive_entry_set_perm(entry.get(), 0644);
        archive_entry_set_size(entry.get(), static_cast<la_int64_t>(item.size));
        archive_entry_set_mtime(entry.get(), static_cast<time_t>(item.mtime), 0);
        if (archive_write_header(out.get(), entry.get()) < ARCHIVE_WARN) {
            const char* why = archive_error_string(out.get());
            error = std::string(item.name) + ": " + (why ? why : "cannot be stored");
            return QX1_E_WRITE;
        }
        // In pieces of a bounded size, as the writer takes them.
        constexpr size_t kPiece = size_t{1} << 20;
        const auto* bytes = static_cast<const unsigned char*>(data);
        for (size_t done = 0; done < size; done += kPiece) {
            const size_t piece = size - done < kPiece ? size - done : kPiece;
            if (archive_write_data(out.get(), bytes + done, piece) != static_cast<la_ssize_t>(piece)) {
                const char* why = archive_error_string(out.get());
                error = std::string(item.name) + ": " + (why ? why : "cannot be written");
                return QX1_E_WRITE;
            }
        }
    }
    if (archive_write_close(out.get()) != ARCHIVE_OK) {
        error = archive_error_string(out.get()) ? archive_error_string(out.get()) : "cannot finish the output";
        return QX1_E_WRITE;
    }
    return QX1_OK;
}
