// SPDX-License-Identifier: MIT
#pragma once

// What --version prints under the program's name and version: who holds the
// copyright and the licence the programs are released under.
inline constexpr const char* kVersionNotice =
    "Copyright (c) 2026 the qx1 project authors.\n"
    "Released under the MIT licence: free to use, copy, change and pass on, without warranty.\n"
    "The full text is in LICENSE (on Debian, /usr/share/doc/qx1/copyright).\n";
