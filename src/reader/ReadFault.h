// SPDX-License-Identifier: MIT
#pragma once

// What stopped opening or reading an archive. The faces turn it into their
// own words: qxdec's messages, the library's QX1_ codes.
enum class ReadFault {
    None,
    ShortFile,         // the file is too short to be read as an archive
    NotAnArchive,      // no header at the start, none through the trailer
    PasswordNeeded,    // the archive has a password and none was given
    WrongPassword,     // the password given does not match
    NoMemory,          // what the archive declares does not fit in memory
    DirectoryDamaged,  // the directory block does not parse
    BeyondArea,        // a string reaches past its block
    NoSuchData,        // the stream ends before the data it announces
    CannotRead,        // the file cannot be read again at a block's start
    Stopped,           // the caller's progress or sink asked to stop
};
