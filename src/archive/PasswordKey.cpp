#include "archive/PasswordKey.h"

PasswordKey DerivePasswordKey(std::string_view password) {
    const uint32_t n = static_cast<uint32_t>(password.size());
    uint8_t check = static_cast<uint8_t>(n);
    uint32_t a = n & 0xFF, b = n & 0xFF, c = n & 0xFF, d = n & 0xFF;
    for (uint32_t i = 0; i < n; ++i) {
        const auto byte = static_cast<uint8_t>(password[i]);
        check = static_cast<uint8_t>(check + ((i & 0xFF) ^ byte));
        // The byte enters sign-extended, as a signed char of the original.
        const uint32_t t = static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(byte))) ^ i;
        a += t;
        b -= t;
        c ^= t;
        d *= t;
    }
    return PasswordKey{check, d + a * b + c};
}
