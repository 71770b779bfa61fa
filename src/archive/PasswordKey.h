// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string_view>

struct PasswordKey {
    uint8_t check = 0;  // stored in the archive header
    uint32_t key = 0;   // combined with the compressed stream
};

// The check byte and key of a password (its bytes, at least one).
PasswordKey DerivePasswordKey(std::string_view password);

// Stores the key of password into key (most significant byte first) and
// tells whether its check byte is check.
bool ApplyPassword(std::string_view password, uint8_t check, unsigned char key[4]);
