// SPDX-License-Identifier: MIT
#include "qx/QxJson.h"

#include "qx1.h"

const char* ErrorCode(int code) {
    switch (code) {
        case QX1_OK:
            return "ok";
        case QX1_E_OPEN:
            return "cannot_open";
        case QX1_E_NOT_ARCHIVE:
            return "not_an_archive";
        case QX1_E_PASSWORD_NEEDED:
            return "password_needed";
        case QX1_E_WRONG_PASSWORD:
            return "wrong_password";
        case QX1_E_DAMAGED:
            return "damaged";
        case QX1_E_UNSAFE_NAME:
            return "unsafe_name";
        case QX1_E_NO_MEMORY:
            return "no_memory";
        case QX1_E_NO_ENTRY:
            return "no_entry";
        case QX1_E_STOPPED:
            return "stopped";
        case QX1_E_WRITE:
            return "cannot_write";
        case QX1_E_IN_THE_WAY:
            return "in_the_way";
        case QX1_E_READ_ONLY:
            return "read_only";
        case QX1_E_LOST:
            return "lost";
        default:
            return "internal";
    }
}

nlohmann::ordered_json JsonDocument(const std::string& archive) {
    return {{"format_version", kJsonFormatVersion}, {"archive", archive}};
}

std::string Dump(const nlohmann::ordered_json& document) {
    return document.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}
