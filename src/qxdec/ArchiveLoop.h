// SPDX-License-Identifier: MIT
#pragma once

#include "qxdec/ProgramEntry.h"
#include "qxdec/UserDialog.h"

// Runs one extraction job per archive, in order; a failing archive does not
// stop the next. Returns 0, or 2 when any archive stopped with an error.
int RunArchiveLoop(const HandOver& handOver, UserDialog& dialog);
