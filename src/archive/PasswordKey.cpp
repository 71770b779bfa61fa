// SPDX-License-Identifier: MIT
#include "archive/PasswordKey.h"

PasswordKey DerivePasswordKey(std::string_view password) {
    const uint32_t n = static_cast<uint32_t>(password.size());
    uint8_t check = static_cast<uint8_t>(n);
    uint32_t a = n & 0xFF, b = n & 0xFF, c = n & 0xFF, d = n & 0xFF;
    for (uint32_t i = 0; i < n; ++i) {
        const auto byte = static_cast<uint8_t>(password[i]);
        check = static_cast<uint8_t>(check + ((i & 0xFF) ^ byte));
        // The byte enters sign-extended, as a signed char.
        const uint32_t t = static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(byte))) ^ i;
        a += t;
        b -= t;
        c ^= t;
        d *= t;
    }
    return PasswordKey{check, d + a * b + c};
}

bool ApplyPassword(std::string_view password, uint8_t check, unsigned char key[4]) {
    const PasswordKey derived = DerivePasswordKey(password);
    for (int i = 0; i < 4; ++i) key[i] = static_cast<unsigned char>(derived.key >> (24 - 8 * i));
    return derived.check == check;
}
