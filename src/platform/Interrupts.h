// SPDX-License-Identifier: MIT
#pragma once

namespace platform {

// For the programs (the library never calls it): an interrupt (SIGINT,
// SIGTERM) removes the temporary file of an output being written before the
// program ends, and exceeding the file-size limit (SIGXFSZ) makes the write
// fail, so that the usual cleanup runs, instead of ending the program.
void CleanUpOnInterrupt();

}  // namespace platform
