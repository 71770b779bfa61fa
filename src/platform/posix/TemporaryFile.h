// SPDX-License-Identifier: MIT
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// Writes all of data to fd, going on after interruptions; false when the
// system takes no more.
bool WriteAll(int fd, const void* data, size_t size);

// A new file under a temporary name of its own in a folder, written whole
// and then moved onto its target, or removed: the one way this program
// writes a file that replaces or joins others (extracted files, archives,
// converted archives). An interrupt while it is open removes it too.
class TemporaryFile {
public:
    TemporaryFile() = default;
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    // Removes the file unless it was moved.
    ~TemporaryFile();

    // Creates ".qx-" and ten letters and ".part" exclusively in folder (a
    // descriptor, which must stay open), with mode less the umask; seed
    // moves on with every name tried. False when none can be made.
    bool Create(int folder, uint64_t& seed, mode_t mode = 0666);
    int Descriptor() const { return fd_; }
    const std::string& Name() const { return name_; }
    bool Write(const void* data, size_t size);
    // Closes the file; false when closing reports a late write error.
    bool Close();
    // The file has been moved to its target: nothing is left to remove.
    void Moved();
    // Removes the file now.
    void Remove();

private:
    int folder_ = -1;
    int fd_ = -1;
    std::string name_;
    bool present_ = false;
};

}  // namespace platform
