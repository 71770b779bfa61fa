// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace platform {

// A CP932 path in the host's UTF-8 form; false when it has no such form.
bool HostPath(const std::string& path, std::string& hostPath);

}  // namespace platform
