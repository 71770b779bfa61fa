// SPDX-License-Identifier: MIT
#pragma once

#include <vector>

#include "create/ArchiveWriter.h"

// Puts the entries into an order that fills the format's blocks well: a
// block takes consecutive entries while they fit in the largest entry's
// size, and the tables start empty at every block, so fewer and fuller
// blocks compress better. Best fit, largest first (ties by name), then the
// blocks one after the other. Deterministic.
void OrderEntriesForBlocks(std::vector<ArchiveEntry>& entries);
