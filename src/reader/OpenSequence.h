// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "archive/ArchiveHeader.h"
#include "archive/ArchiveStream.h"
#include "reader/LoadDirectory.h"
#include "reader/ReadFault.h"

// An archive opened from its stream: its header, where its compressed
// stream begins, and the directory with the engine over the stream.
struct OpenedArchive {
    ArchiveHeader header;
    int64_t streamStart = 0;
    LoadedDirectory loaded;
};

// The password of an archive that has one, asked for only then: CP932,
// empty when none was given, nullopt when the one given has no CP932 form
// (and so cannot match).
using PasswordSource = std::function<std::optional<std::string>()>;

// The one way an archive is opened: the header (at the start, or through
// the trailer of a self-extracting program), the password, then the
// directory, expanded and parsed. What the header declares is measured
// against the memory the host has before any of it is asked for
// (NoMemory, with loaded.bytesWanted). Stored names are not judged here:
// each face decides what an unsafe name means for it.
ReadFault OpenArchiveStream(ArchiveStream& stream, const PasswordSource& password, OpenedArchive& opened);
