// SPDX-License-Identifier: MIT
#pragma once

#include "qx1.h"
#include "reader/ReadFault.h"

// The QX1_ code of a reader's fault.
inline int FromReadFault(ReadFault fault) {
    switch (fault) {
        case ReadFault::None:
            return QX1_OK;
        case ReadFault::ShortFile:
        case ReadFault::NotAnArchive:
            return QX1_E_NOT_ARCHIVE;
        case ReadFault::PasswordNeeded:
            return QX1_E_PASSWORD_NEEDED;
        case ReadFault::WrongPassword:
            return QX1_E_WRONG_PASSWORD;
        case ReadFault::NoMemory:
            return QX1_E_NO_MEMORY;
        case ReadFault::CannotRead:
            return QX1_E_OPEN;
        case ReadFault::Stopped:
            return QX1_E_STOPPED;
        case ReadFault::DirectoryDamaged:
        case ReadFault::BeyondArea:
        case ReadFault::NoSuchData:
            return QX1_E_DAMAGED;
    }
    return QX1_E_INTERNAL;
}
