// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

// "YYYY-MM-DDThh:mm:ssZ" for seconds since 1970-01-01 00:00 UTC.
std::string IsoTimeUtc(int64_t seconds);
