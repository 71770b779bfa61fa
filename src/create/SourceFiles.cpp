// SPDX-License-Identifier: MIT
#include "create/SourceFiles.h"

#include <climits>
#include <map>
#include <set>
#include <utility>

#include "archive/StoredName.h"
#include "create/ArchiveFile.h"
#include "platform/Files.h"
#include "platform/SystemError.h"
#include "util/LeadByte.h"
#include "util/PathSeparator.h"

namespace {

// On POSIX "\\" is an ordinary character, which the archive would take for
// a separator: the file would come back under another path.
bool HasBackslash(const std::string& path) {
    for (size_t i = 0; PathSeparator != '\\' && i < path.size(); i += IsLeadByte(static_cast<unsigned char>(path[i])) ? 2 : 1) {
        if (path[i] == '\\') return true;
    }
    return false;
}

// Why a path cannot be stored, for the refusal's text.
std::string NameProblem(const std::string& path) {
    switch (CheckStoredName(NormaliseSeparators(path, '\\'), '\\', false)) {
        case NameFault::Absolute:
            return "is an absolute path; name it relative to the current folder";
        case NameFault::Drive:
            return "has a drive prefix; name it relative to the current folder";
        case NameFault::ParentFolder:
            return "has a \"..\" component; name it from inside the current folder";
        case NameFault::TooLong:
            return "has a name longer than a file name can be";
        default:
            return "cannot be stored under this name";
    }
}

// True when status describes the file that other does (by device and inode).
bool SameFile(const platform::FileStatus& status, const platform::FileStatus* other) {
    return other && other->inode != 0 && status.device == other->device && status.inode == other->inode;
}

// The system's own words for the failure just met, as " (words)".
std::string SystemReason() {
    const std::string reason = platform::SystemErrorText();
    return reason.empty() ? "" : " (" + reason + ")";
}

class Collector {
public:
    Collector(std::vector<ArchiveEntry>& entries, std::string& error, std::vector<std::string>& warnings,
              const platform::FileStatus* archive)
        : entries_(entries), error_(error), warnings_(warnings), archive_(archive) {}

    // Adds path: named on the command line, or found inside a folder.
    bool Add(const std::string& path, bool named) {
        platform::FileStatus link;
        if (!platform::LinkStatus(path, link)) {
            return named ? Fail(path, "cannot be found") : Skip(path, "disappeared while the folder was read");
        }
        platform::FileStatus status = link;
        if (link.isLink && !platform::Stat(path, status)) return Skip(path, "is a link to nothing");
        if (status.isDirectory) return AddFolder(path, status);
        if (!status.isRegular) {
            return named ? Fail(path, "is not a regular file (a device, a pipe or a socket)")
                         : Skip(path, "is not a regular file (a device, a pipe or a socket)");
        }
        if (SameFile(status, archive_)) return Skip(path, "is the archive being written, not stored");
        if (HasBackslash(path)) return Fail(path, "has a \"\\\" in its name, which archives take for a separator; rename it");
        ArchiveEntry entry;
        entry.name = StoredNameOf(path);
        if (entry.name.empty()) return Fail(path, NameProblem(path));
        // A file named twice, or inside a folder named too, is stored once.
        if (!stored_.insert(entry.name).second) return true;
        platform::FileStatus before, after;
        if (!platform::IdentifyFile(path, before)) return Fail(path, "cannot be read" + SystemReason());
        // A file reached again under another name (a link) is stored once.
        if (before.inode != 0) {
            const auto [first, added] = identities_.try_emplace({before.device, before.inode}, path);
            if (!added) return Skip(path, "is the same file as " + first->second + ", which is stored; not stored again");
        }
        if (status.size > INT32_MAX) return Fail(path, "is larger than an archive entry can be (2 GiB - 1)");
        // The expanded size counts the directory block too: size, time and name.
        total_ += status.size + 8 + static_cast<int64_t>(entry.name.size()) + 1;
        if (total_ > INT32_MAX) return Fail(path, "makes the archive's expanded size exceed 2 GiB - 1");
        if (status.modified < INT32_MIN || status.modified > INT32_MAX) {
            return Fail(path, "has a modification time outside the archive's 32-bit range (1901-2038)");
        }
        entry.time = static_cast<int32_t>(status.modified);
        if (!ReadWholeFile(path, entry.data)) return Fail(path, "cannot be read" + SystemReason());
        // A rewrite of the same size shows in the file's times.
        if (!platform::IdentifyFile(path, after) || entry.data.size() != static_cast<size_t>(status.size) ||
            after.size != before.size || after.modifiedNs != before.modifiedNs || after.changedNs != before.changedNs ||
            before.modified != status.modified) {
            return Fail(path, "changed while it was read");
        }
        entries_.push_back(std::move(entry));
        return true;
    }

private:
    bool AddFolder(const std::string& path, const platform::FileStatus& status) {
        for (const platform::FileStatus& above : folders_) {
            if (status.inode != 0 && above.device == status.device && above.inode == status.inode) {
                return Skip(path, "is a link back to a folder that holds it");
            }
        }
        std::vector<std::string> names, refused;
        if (!platform::ListDirectory(path, names, refused)) return Fail(path, "cannot be listed" + SystemReason());
        const std::string prefix = path.back() == PathSeparator ? path : path + PathSeparator;
        if (!refused.empty()) {
            return Fail(prefix + refused.front(), "has a character with no Shift-JIS form (shown as ?), which archives store");
        }
        if (names.empty()) return Skip(path, "is an empty folder, not stored: the format has no folders");
        folders_.push_back(status);
        for (const std::string& name : names) {
            if (!Add(prefix + name, false)) return false;
        }
        folders_.pop_back();
        return true;
    }
    bool Fail(const std::string& path, const std::string& what) {
        error_ = path + " " + what;
        return false;
    }
    bool Skip(const std::string& path, const std::string& what) {
        warnings_.push_back(path + " " + what);
        return true;
    }

    std::vector<ArchiveEntry>& entries_;
    std::string& error_;
    std::vector<std::string>& warnings_;
    const platform::FileStatus* archive_;  // the archive being written, when it exists already
    std::vector<platform::FileStatus> folders_;  // the folders being walked, outermost first
    std::set<std::string> stored_;
    std::map<std::pair<uint64_t, uint64_t>, std::string> identities_;  // device and inode of each file stored
    int64_t total_ = 0;
};

}  // namespace

std::string StoredNameOf(const std::string& path) {
    std::string name = NormaliseSeparators(path, '\\');
    while (name.rfind(".\\", 0) == 0) name.erase(0, 2);
    if (!IsSafeName(name, '\\')) return {};
    return name;
}

bool CollectSourceFiles(const std::vector<std::string>& paths, std::vector<ArchiveEntry>& entries, std::string& error,
                        std::vector<std::string>& warnings, const platform::FileStatus* archive) {
    Collector collector(entries, error, warnings, archive);
    for (const std::string& path : paths) {
        if (path.empty() || !collector.Add(path, true)) {
            if (error.empty()) error = "an empty path cannot be stored";
            return false;
        }
    }
    return true;
}
