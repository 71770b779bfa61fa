#pragma once

#include "app/ProgramEntry.h"
#include "dialog/UserDialog.h"

// Runs one extraction job per archive, in order; a failing archive does not
// stop the next. Returns 0, or 2 when any archive stopped with an error.
int RunArchiveLoop(const HandOver& handOver, UserDialog& dialog);
