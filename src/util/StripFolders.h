// SPDX-License-Identifier: MIT
#pragma once

#include <string>

// name ('/' between folders) without its first count folder names; empty
// when no file name is left. Only folder names count: empty and "." parts
// are passed over, so "top//b.txt" and "top/./b.txt" lose "top" alone.
std::string StripFolders(const std::string& name, unsigned long count);
