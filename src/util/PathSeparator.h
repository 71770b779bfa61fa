// SPDX-License-Identifier: MIT
#pragma once

// The host's own path separator, used in every internal path (CP932 bytes).
#ifdef _WIN32
inline constexpr char PathSeparator = '\\';
#else
inline constexpr char PathSeparator = '/';
#endif
