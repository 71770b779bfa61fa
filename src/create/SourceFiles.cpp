#include "create/SourceFiles.h"

#include <climits>

#include "archive/StoredName.h"
#include "create/ArchiveFile.h"
#include "platform/Files.h"
#include "util/PathSeparator.h"

namespace {

class Collector {
public:
    Collector(std::vector<ArchiveEntry>& entries, std::string& error) : entries_(entries), error_(error) {}

    bool Add(const std::string& path) {
        platform::FileStatus status;
        if (!platform::Stat(path, status)) return Fail(path, "cannot be found or read");
        if (status.isDirectory) {
            std::vector<std::string> names;
            if (!platform::ListDirectory(path, names)) return Fail(path, "cannot be listed, or holds a name with no Shift-JIS form");
            const std::string prefix = path.back() == PathSeparator ? path : path + PathSeparator;
            for (const std::string& name : names) {
                if (!Add(prefix + name)) return false;
            }
            return true;
        }
        ArchiveEntry entry;
        entry.name = StoredNameOf(path);
        if (entry.name.empty()) return Fail(path, "is not a relative path inside the current folder");
        if (status.size > INT32_MAX) return Fail(path, "is larger than an archive entry can be (2 GiB - 1)");
        // The expanded size counts the directory block too: size, time and name.
        total_ += status.size + 8 + static_cast<int64_t>(entry.name.size()) + 1;
        if (total_ > INT32_MAX) return Fail(path, "makes the archive's expanded size exceed 2 GiB - 1");
        if (status.modified < INT32_MIN || status.modified > INT32_MAX) {
            return Fail(path, "has a modification time outside the archive's 32-bit range (1901-2038)");
        }
        entry.time = static_cast<int32_t>(status.modified);
        if (!ReadWholeFile(path, entry.data) || entry.data.size() != static_cast<size_t>(status.size)) return Fail(path, "cannot be read");
        entries_.push_back(std::move(entry));
        return true;
    }

private:
    bool Fail(const std::string& path, const std::string& what) {
        error_ = path + " " + what;
        return false;
    }

    std::vector<ArchiveEntry>& entries_;
    std::string& error_;
    int64_t total_ = 0;
};

}  // namespace

std::string StoredNameOf(const std::string& path) {
    std::string name = NormaliseSeparators(path, '\\');
    while (name.rfind(".\\", 0) == 0) name.erase(0, 2);
    if (!IsSafeName(name, '\\')) return {};
    return name;
}

bool CollectSourceFiles(const std::vector<std::string>& paths, std::vector<ArchiveEntry>& entries, std::string& error) {
    Collector collector(entries, error);
    for (const std::string& path : paths) {
        if (path.empty() || !collector.Add(path)) {
            if (error.empty()) error = "an empty path cannot be stored";
            return false;
        }
    }
    return true;
}
