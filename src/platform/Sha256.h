// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace platform {

// SHA-256 by the host's own implementation (libcrypto on POSIX, CNG on
// Windows).
class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void Update(const void* data, size_t size);
    // The digest as 64 lower-case hex digits; the hash cannot be used after.
    std::string HexDigest();

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace platform
